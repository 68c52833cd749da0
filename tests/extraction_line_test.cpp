// The extraction line's placement and finishing rules.
#include "extract/extraction_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

}  // namespace
