// The version-5 line: the slash rule, the suffix after the leading text, the
// texts reached by address, the never-cleared record buffer, and the mode step.
#include "extract/version5_extraction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "extract/extraction_modes.h"
#include "extract/line_layout.h"
#include "loglib/log_library.h"
#include "tests/line_expectations.h"
#include "tests/test_support.h"

namespace {

constexpr int kAddressOffsets[] = {821, 825, 829, 833, 837, 841, 845};

// A record buffer below 4 GiB, filled as a library copying NUL-terminated
// texts would fill it. The record and each text reached by address end right
// before an inaccessible page, so that a read past them faults.
class Version5Record {
public:
    Version5Record() : m_bytes(BytesBeforeNoAccessPage(kVersion5RecordSize)) {}

    Version5Record& Text(int offset, const std::string& text)
    {
        std::memcpy(m_bytes + offset, text.c_str(), text.size() + 1);
        return *this;
    }

    // Stores the address of a copy of text, or 0 for nullptr.
    Version5Record& Address(int offset, const char* text)
    {
        StoreAddress(offset, text == nullptr ? nullptr : TextBeforeNoAccessPage(text));
        return *this;
    }

    void StoreAddress(int offset, const void* address)
    {
        // Little-endian, as on every machine the program runs on.
        const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
        std::memcpy(m_bytes + offset, &value, sizeof value);
    }

    std::uint8_t* Bytes() { return m_bytes; }

private:
    std::uint8_t* m_bytes;
};

class Version5LineTest : public testing::Test {
protected:
    Version5Record m_record;
    char m_built[kLineBufferSize]{};
};

// The seven texts reached by address, in the order of kAddressOffsets.
struct AddressedTextsCase {
    const char* name;
    std::string texts[7];
};

// The fields of the texts at 821 to 845, in that order.
constexpr int kAddressedColumns[] = {F061, F022, F029, F032, F064, F092, F146};

TEST_F(Version5LineTest, EachTextGoesToItsField)
{
    const AddressedTextsCase cases[] = {
        {"texts of a contact", {"579", "CW", "100", "Taro", "Taito-ku", "remark", "last"}},
        // Lengths whose NUL ends a 4- or 8-byte word and lengths whose NUL does
        // not, and one longer than the line has room for.
        {"texts of every length",
         {"5", "RTTY-45", "", "Taro Sato", "Minato-ku Tokyo", "portable",
          std::string(30, 'a') + std::string(30, 'b')}},
    };
    for (const AddressedTextsCase& c : cases) {
        SCOPED_TRACE(c.name);
        Version5Record record;
        record.Text(0, "JA2WCC/1")
            .Text(21, "24/05/03 12:34J")
            .Text(37, "100106")
            .Text(44, "7.012")
            .Text(51, "JEX")
            .Text(57, "599");
        std::string expected = ExpectedLine({{F000, "JA2WCC"},
                                             {F007, "1"},
                                             {F010, "100106"},
                                             {F016, "7.012"},
                                             {F044, "JEX"},
                                             {F047, "2405031234J"},
                                             {F058, "599"}});
        for (int i = 0; i < 7; ++i) {
            record.Address(kAddressOffsets[i], c.texts[i].c_str());
            const std::string text = c.texts[i].substr(0, kLineColumns - kAddressedColumns[i]);
            expected.replace(static_cast<std::size_t>(kAddressedColumns[i]), text.size(), text);
        }
        BuildVersion5Line(record.Bytes(), m_built);
        EXPECT_EQ(expected, FinishedLine(m_built));
    }
}

TEST_F(Version5LineTest, ZeroAddressesAndEmptyTextsGiveSpaces)
{
    for (int offset : kAddressOffsets) {
        m_record.Address(offset, nullptr);
    }
    BuildVersion5Line(m_record.Bytes(), m_built);
    EXPECT_EQ(ExpectedLine({}), FinishedLine(m_built));
}

struct LeadingCase {
    const char* name;
    std::string leading;
    std::string stamp;
    std::string code;
    std::string expected;  // the whole line, as ExpectedLine builds it
};

TEST_F(Version5LineTest, LeadingTextSplitsAtItsSlashes)
{
    const LeadingCase cases[] = {
        {"one slash", "ABCDEF/12", "", "", ExpectedLine({{F000, "ABCDEF 12"}})},
        {"two slashes drop the rest", "ABCDEF/12/P", "", "", ExpectedLine({{F000, "ABCDEF 12"}})},
        {"long suffix overwritten by the code", "ABC/DEFGH", "", "123456",
         ExpectedLine({{F000, "ABC    DEF123456"}})},
        // p = 20: the suffix is the stamp text from offset 21 up to its first
        // slash, which the slash rule made a NUL.
        {"twenty characters without slash", "ABCDEFGHIJKLMNOPQRST", "24/05/03 12:34J", "",
         ExpectedLine({{F000, "ABCDEFG24"}, {11, "LMNOP"}, {17, "RST"}, {F047, "2405031234J"}})},
        {"slash in the code", "", "", "1234/5", ExpectedLine({{F010, "1234"}})},
        {"slash among the stamp bytes", "", "24/05/03 /2:34J", "",
         ExpectedLine({{F047, "240503 234J"}})},
    };
    for (const LeadingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Version5Record record;
        // Every address is 0: the record starts as zeros.
        record.Text(0, c.leading).Text(21, c.stamp).Text(37, c.code);
        BuildVersion5Line(record.Bytes(), m_built);
        EXPECT_EQ(c.expected, FinishedLine(m_built));
    }
}

TEST_F(Version5LineTest, OnlyTheFirstThreeCharactersOfTheTextAt51Survive)
{
    m_record.Text(51, "ABCDE");
    BuildVersion5Line(m_record.Bytes(), m_built);
    EXPECT_EQ("ABC  ", FinishedLine(m_built).substr(F044, 5));
}

TEST_F(Version5LineTest, SlashRuleChangesOnlyTheFirst203Bytes)
{
    std::memset(m_record.Bytes() + 57, '/', 300);
    m_record.Bytes()[357] = 0;
    // An addressed text inside the first 203 bytes is cut too; one beyond is not.
    std::memcpy(m_record.Bytes() + 190, "AB/CD", 5);
    m_record.StoreAddress(833, m_record.Bytes() + 190);
    std::memcpy(m_record.Bytes() + 400, "EF/GH", 6);
    m_record.StoreAddress(841, m_record.Bytes() + 400);
    BuildVersion5Line(m_record.Bytes(), m_built);
    EXPECT_EQ(0, m_record.Bytes()[202]);
    EXPECT_EQ('/', m_record.Bytes()[203]);
    EXPECT_EQ("AB ", FinishedLine(m_built).substr(F032, 3));
    EXPECT_EQ("EF/GH ", FinishedLine(m_built).substr(F092, 6));
}

TEST_F(Version5LineTest, BytesThatTheNextReadDoesNotWriteKeepThePreviousRecord)
{
    m_record.Text(0, "ABCDEFGHIJKL/12").Text(37, "");
    BuildVersion5Line(m_record.Bytes(), m_built);
    // The next record's leading text is shorter; the rest of the old one stays.
    m_record.Text(0, "AB");
    BuildVersion5Line(m_record.Bytes(), m_built);
    EXPECT_EQ("AB     DEF", FinishedLine(m_built).substr(0, 10));
}

struct ModeCase {
    int mode;
    std::string code;
    std::string text51;
    bool kept;
    std::string codeAfter;
    std::string f044After;
    bool f064Blank;
};

TEST(Version5ModeStepTest, FilterThenMarkThenBlank)
{
    char built[kLineBufferSize]{};
    const ModeCase cases[] = {
        {2, "520101", "XYZ", true, "520101", "XYZ", false},
        {2, "12345A", "XY", true, "12345A", "XY ", false},
        {3, "520101", "XYZ", true, "5201  ", "XYC", true},
        {3, "0101", "XY", true, "0101  ", "XY ", true},
        {3, "100105", "XYZ", true, "100105", "XYC", true},
        {3, "5001", "XYZ", false, "", "", false},
        {4, "12345A", "XYZ", true, "12345 ", "XYC", true},
        {4, "12345", "", true, "12345 ", "   ", true},
        {4, "123456", "XYZ", false, "", "", false},
        {4, "12345/", "XYZ", true, "12345 ", "XYC", true},
        {3, "1001/5", "XYZ", true, "1001  ", "XYC", true},
        {5, "1234/A", "XYZ", false, "", "", false},
        {5, "1234:A", "XYZ", true, "1234:A", "XYC", false},
        {5, "12345a", "XYZ", false, "", "", false},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " code " + c.code);
        Version5Record record;
        record.Text(0, "JA1ABC").Text(21, "24/05/03 12:34J").Text(37, c.code).Text(51, c.text51);
        record.Address(837, "QTH text of twenty-eight bytes");
        // The verdict told from the record before its line is built.
        EXPECT_EQ(c.kept, PassesModeTest(kExtractionModes[c.mode], record.Bytes()));
        BuildVersion5Line(record.Bytes(), built);
        const std::string before = FinishedLine(built);
        EXPECT_EQ(c.kept, ApplyModeStep(kExtractionModes[c.mode], built));
        if (!c.kept) {
            continue;
        }
        // The code, F044 and perhaps F064 change; nothing else of the line.
        std::string expected = before;
        expected.replace(F010, 6, c.codeAfter).replace(F044, 3, c.f044After);
        if (c.f064Blank) {
            expected.replace(F064, kF064Width, kF064Width, ' ');
        }
        EXPECT_EQ(expected, FinishedLine(built));
    }
}

}  // namespace
