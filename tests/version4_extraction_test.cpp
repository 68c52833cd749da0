// The version-4 line built from a record in its context: each text to its
// field, the field edges, the stamp bytes, texts that run on.
#include "extract/version4_extraction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "extract/line_layout.h"
#include "loglib/log_library.h"
#include "tests/line_expectations.h"

namespace {

// A version-4 context with texts at offsets, as DbsDbrRead leaves a record.
class Version4Record {
public:
    Version4Record& Text(int offset, const std::string& text)
    {
        std::memcpy(m_context.bytes + offset, text.c_str(), text.size() + 1);
        return *this;
    }

    std::uint8_t* Bytes() { return m_context.bytes; }

private:
    Version4Context m_context{};
};

class Version4LineTest : public testing::Test {
protected:
    Version4Record m_record;
    char m_built[kLineBufferSize]{};
};

TEST_F(Version4LineTest, EachTextGoesToItsField)
{
    // Each text's offset in the record and the column of its field.
    const struct {
        int offset;
        std::string text;
        int column;
    } texts[] = {
        {0, "JA1ABC", F000}, {8, "1", F007},     {28, "599", F058},    {32, "579", F061},
        {36, "CW", F022},    {44, "100", F029},  {48, "100106", F010}, {55, "7.012", F016},
        {62, "JE", F044},    {66, "Taro", F032}, {79, "Taito", F064},  {108, "remark", F092},
        {163, "last", F146},
    };
    m_record.Text(12, "24/05/03 12:34J");
    std::string expected = ExpectedLine({{F047, "2405031234J"}});
    for (const auto& t : texts) {
        m_record.Text(t.offset, t.text);
        expected.replace(static_cast<std::size_t>(t.column), t.text.size(), t.text);
    }
    BuildVersion4Line(m_record.Bytes(), m_built);
    EXPECT_EQ(expected, FinishedLine(m_built));
}

TEST_F(Version4LineTest, EmptyRecordGivesSpaces)
{
    BuildVersion4Line(m_record.Bytes(), m_built);
    EXPECT_EQ(ExpectedLine({}), FinishedLine(m_built));
}

struct Version4Case {
    const char* name;
    int offset;
    std::string text;
    int column;
    std::string expected;
};

TEST_F(Version4LineTest, FieldEdges)
{
    const Version4Case cases[] = {
        {"stamp groups without separators", 12, "12/34/56 78:90X", F047, "1234567890X"},
        {"two-letter F044 leaves column 46 blank", 62, "AB", F044, "AB "},
        {"three-letter F044 fills column 46", 62, "ABC", F044, "ABC"},
        {"slash is an ordinary character", 0, "ABC/12", F000, "ABC/12 "},
        {"four-character code", 48, "1234", F010, "1234  "},
        {"line feed inside a text", 108, "a\nb", F092, "a\nb "},
        // The lead byte on F000's last column keeps; its trail byte is cut.
        {"double-byte character cut at a field start", 0, "ABCDEF\x93\x8c", F000, "ABCDEF\x93 "},
    };
    for (const Version4Case& c : cases) {
        SCOPED_TRACE(c.name);
        Version4Record record;
        record.Text(c.offset, c.text);
        BuildVersion4Line(record.Bytes(), m_built);
        const std::string line = FinishedLine(m_built);
        EXPECT_EQ(c.expected, line.substr(static_cast<std::size_t>(c.column), c.expected.size()));
        EXPECT_EQ(static_cast<std::size_t>(kLineBytesOnDisk), line.size());
        EXPECT_EQ("\r\n", line.substr(kLineColumns));
    }
}

TEST_F(Version4LineTest, StampBytesAreCopiedWhateverTheirValue)
{
    const std::uint8_t stamp[16] = {'1',  '2', 0xFF, 0,    '4', 0x1A, '5',  '6',
                                    0x0D, '7', '8',  0x7F, 0,   'A',  0x0A, 0x81};
    std::memcpy(m_record.Bytes() + 12, stamp, sizeof stamp);
    BuildVersion4Line(m_record.Bytes(), m_built);
    const std::string expected = {'1', '2', ' ', '4', '5', '6', '7', '8', ' ', 'A', '\n'};
    EXPECT_EQ(expected, FinishedLine(m_built).substr(F047, kStampColumns));
}

TEST_F(Version4LineTest, TextWithoutNulInItsRoomRunsOnIntoTheNextPlaces)
{
    // Offset 28 room is 4 bytes; "59912" runs into offset 32's room.
    std::memcpy(m_record.Bytes() + 28, "599123", 6);
    m_record.Bytes()[34] = 0;
    BuildVersion4Line(m_record.Bytes(), m_built);
    // F058 gets "599123", then F061 is placed from offset 32: "23".
    EXPECT_EQ("59923 ", FinishedLine(m_built).substr(F058, 6));
}

TEST_F(Version4LineTest, LastTextWithoutNulFillsItsFieldUpToTheLineEnd)
{
    std::memset(m_record.Bytes() + 163, 'z', kVersion4ContextSize - 163);
    BuildVersion4Line(m_record.Bytes(), m_built);
    EXPECT_EQ(ExpectedLine({{F146, std::string(54, 'z')}}), FinishedLine(m_built));
}

}  // namespace
