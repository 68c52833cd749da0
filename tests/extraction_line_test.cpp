// The extraction line's placement and finishing rules, and the fast kit
// against its plain twin.
#include "extract/extraction_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/line_expectations.h"
#include "tests/test_support.h"

namespace {

void Place(ExtractionLine& line, int column, const std::string& text)
{
    PlaceText(line, column, text.c_str(), text.size() + 1);
}

TEST(ExtractionLineTest, EmptyLineIsTwoHundredSpacesAndCrLf)
{
    char bytes[kLineBufferSize];
    ExtractionLine built{bytes};
    ClearLine(built);
    FinishLine(built);
    EXPECT_EQ(std::string(kLineColumns, ' ') + "\r\n", FinishedLine(built));
    EXPECT_EQ('\0', built.bytes[kLineBytesOnDisk]);
}

struct OverlapCase {
    const char* name;
    std::initializer_list<std::pair<int, std::string>> placements;
    std::string columns0to9;
};

TEST(ExtractionLineTest, LongerTextRunsOnUntilTheNextPlacementOverwritesIt)
{
    char bytes[kLineBufferSize];
    ExtractionLine built{bytes};
    const OverlapCase cases[] = {
        // P and its NUL overwrite columns 7 and 8; column 9 keeps the J.
        {"ten then one", {{F000, "ABCDEFGHIJ"}, {F007, "P"}}, "ABCDEFGP J"},
        {"seven then empty", {{F000, "ABCDEFG"}, {F007, ""}}, "ABCDEFG   "},
        {"short then short", {{F000, "AB"}, {F007, "CD"}}, "AB     CD "},
        {"long suffix cut by code", {{F000, "A"}, {F007, "XYZW"}, {F010, ""}}, "A      XYZ"},
    };
    for (const OverlapCase& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLine(built);
        for (const auto& [column, text] : c.placements) {
            Place(built, column, text);
        }
        FinishLine(built);
        EXPECT_EQ(c.columns0to9, FinishedLine(built).substr(0, 10));
    }
}

TEST(ExtractionLineTest, LastFieldKeepsFiftyFourBytesAndTheLineEndStays)
{
    char bytes[kLineBufferSize];
    ExtractionLine built{bytes};
    const std::string text60 = std::string(30, 'a') + std::string(30, 'b');
    ClearLine(built);
    Place(built, F146, text60);
    FinishLine(built);
    EXPECT_EQ(ExpectedLine({{F146, text60.substr(0, 54)}}), FinishedLine(built));
}

TEST(ExtractionLineTest, NothingIsWrittenPastPosition202)
{
    // The bytes right after the line, which a write past it would change.
    struct {
        char line[kLineBufferSize];
        char guard[16];
    } guarded{};
    std::memset(guarded.guard, 'g', sizeof guarded.guard);
    ExtractionLine built{guarded.line};
    const std::string text(300, 'x');
    ClearLine(built);
    PlaceText(built, F146, text.c_str(), text.size() + 1);
    EXPECT_EQ(std::string(kLineBufferSize - F146, 'x'),
              std::string(built.bytes + F146, kLineBufferSize - F146));
    FinishLine(built);
    EXPECT_EQ(ExpectedLine({{F146, text.substr(0, 54)}}), FinishedLine(built));
    EXPECT_EQ(std::string(sizeof guarded.guard, 'g'),
              std::string(guarded.guard, sizeof guarded.guard));
}

TEST(ExtractionLineTest, PlacementReadsNoMoreThanAvailable)
{
    char bytes[kLineBufferSize];
    ExtractionLine built{bytes};
    const char unterminated[4] = {'W', 'X', 'Y', 'Z'};
    ClearLine(built);
    PlaceText(built, F032, unterminated, 3);
    FinishLine(built);
    EXPECT_EQ(ExpectedLine({{F032, "WXY"}}), FinishedLine(built));

    // A text of unknown extent is read up to its NUL and no further. Each one
    // ends right before an inaccessible page, its NUL at the end of a 4- or
    // 8-byte word or not, so that a read by words past the NUL faults; the
    // longest ones fill the room of F146 or run past it.
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (const std::size_t length : {0, 1, 2, 3, 4, 7, 8, 9, 15, 16, 56, 57, 60}) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::string text = letters.substr(0, length);
        ClearLine(built);
        PlaceTerminatedText(built, F146, TextBeforeNoAccessPage(text));
        FinishLine(built);
        EXPECT_EQ(ExpectedLine({{F146, text.substr(0, kLineColumns - F146)}}), FinishedLine(built));
    }
}

// The oracle: the fast kit must build every line as the twin does, byte for
// byte. Each row is a sequence of placements after ClearLine, each text
// written right before a page that cannot be read, with bytes behind its NUL
// up to that page, so that a read past what a placement may read faults.
enum class Placed {
    kText,            // PlaceText, with available bytes
    kTerminatedText,  // PlaceTerminatedText
    kStamp,           // StoreStamp, text being the stamp and the byte after it
};

struct Placement {
    Placed how;
    int column;
    std::string text;                           // the text up to its NUL
    std::string behind;                         // the readable bytes behind its NUL
    std::size_t available = std::string::npos;  // for kText; npos: all of them
};

struct LineRow {
    std::string name;
    std::vector<Placement> placements;
    // What the rules give from expectedColumn on; empty where the twin alone judges.
    int expectedColumn = 0;
    std::string expected = {};
};

struct LineKit {
    const char* name;
    void (*clear)(ExtractionLine&);
    void (*placeText)(ExtractionLine&, int, const char*, std::size_t);
    void (*placeTerminatedText)(ExtractionLine&, int, const char*);
    void (*storeStamp)(ExtractionLine&, const std::uint8_t*);
    void (*finish)(ExtractionLine&);
};

// The twin first: every other kit is compared with it.
const LineKit kKits[] = {
    {"plain twin", plain_line::ClearLine, plain_line::PlaceText, plain_line::PlaceTerminatedText,
     plain_line::StoreStamp, plain_line::FinishLine},
#ifdef __SSE2__
    {"fast kit", fast_line::ClearLine, fast_line::PlaceText, fast_line::PlaceTerminatedText,
     fast_line::StoreStamp, fast_line::FinishLine},
#endif
};
constexpr std::size_t kKitCount = std::size(kKits);

// Two pages of 4 KiB, the fast kit's page, before the one that cannot be
// read: a text may start in the first and end in the second.
constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kPoolBytes = 2 * kPageBytes;

std::string Describe(const LineRow& row, std::size_t step)
{
    std::string text = row.name + ", after placement " + std::to_string(step) + " of:";
    for (const Placement& p : row.placements) {
        const char* how = p.how == Placed::kText             ? "text"
                          : p.how == Placed::kTerminatedText ? "terminated"
                                                             : "stamp";
        text += std::string("\n  ") + how + " at " + std::to_string(p.column) + ": \"" + p.text +
                "\", " + std::to_string(p.behind.size()) + " bytes behind its NUL";
        if (p.available != std::string::npos) {
            text += ", " + std::to_string(p.available) + " available";
        }
    }
    return text;
}

// Places p with every kit, from its bytes written at the end of pool.
void PlaceWithEveryKit(const Placement& p, char* pool, ExtractionLine (&lines)[kKitCount])
{
    const std::string bytes =
        p.how == Placed::kStamp ? p.text : p.text + std::string(1, '\0') + p.behind;
    char* source = pool + kPoolBytes - bytes.size();
    std::memcpy(source, bytes.data(), bytes.size());
    for (std::size_t k = 0; k < kKitCount; ++k) {
        switch (p.how) {
            case Placed::kText:
                kKits[k].placeText(lines[k], p.column, source, std::min(p.available, bytes.size()));
                break;
            case Placed::kTerminatedText:
                kKits[k].placeTerminatedText(lines[k], p.column, source);
                break;
            case Placed::kStamp:
                kKits[k].storeStamp(lines[k], reinterpret_cast<const std::uint8_t*>(source));
                break;
        }
    }
}

// Readable bytes behind a NUL, of one of a few kinds, any byte among the
// first ones: a block read holds at most 15 of them.
std::string Behind(std::mt19937& random, std::size_t length)
{
    static const std::string kKinds[] = {"ZYXWVUTSRQ", std::string(4, '\0'), "    ",
                                         "\x80\xFF\x81"};
    const std::string& kind = kKinds[random() % std::size(kKinds)];
    std::string behind;
    for (std::size_t i = 0; i < length; ++i) {
        behind += i < 16 && random() % 4 == 0 ? static_cast<char>(random()) : kind[i % kind.size()];
    }
    return behind;
}

// Sequences of placements from a fixed seed: the columns of an extraction in
// its order, or any columns in any order; texts of every length up to past
// the room, of any byte but NUL; the bytes behind their NUL of every kind, as
// many as reach to the page that cannot be read, from none to some that
// start the text in the page before.
std::vector<LineRow> GeneratedRows()
{
    static const int kFields[] = {F000, F007, F010, F016, F022, F029, F032,
                                  F044, F047, F058, F061, F064, F092, F146};
    static const int kOtherColumns[] = {1, 3, 8, 9, 15, 40, 100, 180, 187, 190, 195, 199, 200, 202};
    static const std::size_t kLengths[] = {0,  1,  2,  3,  4,  5,  6,  7,   8,   9,   10,  11,
                                           12, 13, 14, 15, 16, 17, 23, 24,  31,  32,  33,  47,
                                           48, 53, 54, 55, 57, 64, 70, 150, 199, 202, 203, 210};
    std::mt19937 random(20240601);
    std::vector<LineRow> rows;
    for (int n = 0; n < 4000; ++n) {
        LineRow row{"generated row " + std::to_string(n), {}};
        const bool asExtracted = n % 2 == 0;
        const std::size_t count = 1 + random() % 14;
        for (std::size_t i = 0; i < count; ++i) {
            const int column = asExtracted ? kFields[i]
                               : random() % 3 == 0
                                   ? kOtherColumns[random() % std::size(kOtherColumns)]
                                   : kFields[random() % std::size(kFields)];
            if (column == F047 && random() % 2 == 0) {
                std::string stamp;
                for (int b = 0; b < kStampColumns + 5; ++b) {
                    stamp += static_cast<char>(random() % 5 == 0 ? 0 : 0x2F + random() % 12);
                }
                row.placements.push_back({Placed::kStamp, F047, stamp, {}});
                continue;
            }
            std::string text;
            const std::size_t length = kLengths[random() % std::size(kLengths)];
            const int letter = static_cast<int>(random() % 26);
            for (std::size_t b = 0; b < length; ++b) {
                text += random() % 8 == 0 ? static_cast<char>(1 + random() % 255)
                                          : static_cast<char>('A' + (letter + b) % 26);
            }
            // A few, or so many that the text starts up to 19 bytes before
            // the first page's end.
            const std::size_t behindLength =
                random() % 5 == 0 ? kPageBytes - 1 + random() % 20 - std::min(length, kPageBytes)
                                  : random() % 24;
            Placement p{random() % 2 == 0 ? Placed::kText : Placed::kTerminatedText, column, text,
                        Behind(random, behindLength)};
            if (p.how == Placed::kText && random() % 3 == 0) {
                p.available = random() % (length + 2);  // to before the NUL, or up to it
            }
            row.placements.push_back(p);
        }
        rows.push_back(row);
    }
    return rows;
}

// Where the CPU has no fast kit, the twin alone runs the rows: the columns
// that the rows state and the guards behind the line are still checked.
TEST(ExtractionLineTest, EveryKitBuildsTheLineOfThePlainTwin)
{
    std::vector<LineRow> rows = {
        // The word path: F007 and F010 are placed where the text before
        // left the line not blank; the 1 and its NUL leave the U and T of
        // XYZWVUT.
        {"word path",
         {{Placed::kText, F000, "ABCDEFGHIJ", "klmnopqrstuvwxyz"},
          {Placed::kText, F007, "XYZWVUT", "klmnopqrstuvwxyz"},
          {Placed::kText, F010, "1", "klmnopqrstuvwxyz"}},
         F000,
         "ABCDEFGXYZ1 UT  "},
        // The byte loop: a library text whose NUL is the last byte before a
        // page that cannot be read; the 1 and its NUL leave its J.
        {"byte loop",
         {{Placed::kTerminatedText, F022, "ABCDEFGHIJ", ""},
          {Placed::kTerminatedText, F029, "1", "klmnop"}},
         F022,
         "ABCDEFG1 J  "},
    };
    for (LineRow& row : GeneratedRows()) {
        rows.push_back(std::move(row));
    }
    auto* pool = reinterpret_cast<char*>(BytesBeforeNoAccessPage(kPoolBytes));
    ASSERT_NE(nullptr, pool);
    // Each line followed by bytes that a write past it would change.
    struct Guarded {
        char line[kLineBufferSize];
        char guard[16];
    } guarded[kKitCount];
    for (const LineRow& row : rows) {
        ExtractionLine lines[kKitCount] = {};
        for (std::size_t k = 0; k < kKitCount; ++k) {
            std::memset(guarded[k].guard, 'g', sizeof guarded[k].guard);
            lines[k].bytes = guarded[k].line;
            kKits[k].clear(lines[k]);
        }
        for (std::size_t step = 0; step <= row.placements.size(); ++step) {
            if (step < row.placements.size()) {
                PlaceWithEveryKit(row.placements[step], pool, lines);
            } else {
                for (std::size_t k = 0; k < kKitCount; ++k) {
                    kKits[k].finish(lines[k]);
                }
            }
            const std::string twin(guarded[0].line, sizeof guarded[0]);
            for (std::size_t k = 1; k < kKitCount; ++k) {
                ASSERT_EQ(twin, std::string(guarded[k].line, sizeof guarded[k]))
                    << kKits[k].name << ", " << Describe(row, step);
            }
        }
        if (!row.expected.empty()) {
            EXPECT_EQ(row.expected,
                      std::string(guarded[0].line + row.expectedColumn, row.expected.size()))
                << row.name;
        }
        EXPECT_EQ(std::string(sizeof guarded[0].guard, 'g'),
                  std::string(guarded[0].guard, sizeof guarded[0].guard))
            << Describe(row, row.placements.size());
    }
}

}  // namespace
