// The JCC, JCG and town/village tests on finished lines: every row gives the
// six code columns before, the result, and the six columns the line holds after.
#include "extract/reference_filters.h"

#include <gtest/gtest.h>

#include <string>

#include "extract/line_layout.h"

namespace {

// A finished line with the given code in columns 10 to 15 and stamp prefix in
// 47 to 50; every other column holds a marker byte so that stray writes show.
std::string MakeLine(const std::string& code, const std::string& stamp)
{
    std::string line = std::string(kLineColumns, '#') + "\r\n" + '\0';
    line.replace(F010, 6, code);
    line.replace(F047, 4, stamp);
    return line;
}

struct JccRow {
    std::string code;
    std::string stamp;
    int result;
    std::string after;
};

const JccRow kJccRows[] = {
    {"0101  ", "2405", 1, "0101  "},
    {"4999  ", "2405", 1, "4999  "},
    {"5001  ", "2405", 0, "5001  "},
    {"0101A ", "2405", 1, "0101A "},
    // A digit behind a city's end neither counts nor makes it a ward.
    {"0101 9", "2405", 1, "0101 9"},
    {"123   ", "2405", 0, "123   "},
    {"12345 ", "2405", 0, "12345 "},
    {" 1234 ", "2405", 0, " 1234 "},
    {"010203", "2405", 1, "0102  "},
    {"520101", "2405", 1, "5201  "},
    {"100105", "1004", 1, "100105"},
    {"100105", "3001", 1, "100105"},
    {"100105", "1003", 1, "1001  "},
    {"100105", "3002", 1, "1001  "},
    {"100105", "    ", 1, "1001  "},
    {"100105", "12 5", 1, "1001  "},
    // A sign and leading white space are part of the stamp's number.
    {"100105", " +20", 1, "1001  "},
    {"100105", "-999", 1, "1001  "},
    // Only the 1001 city keeps its ward digits, and only inside the window.
    {"100205", "2405", 1, "1002  "},
    {"100123", "2405", 1, "100123"},
    // Double-byte lead bytes are never digits (\202\117 is 0x82 0x4F).
    {"0101\x82\xa0", "2405", 1, "0101\x82\xa0"},
    {"\202\117101 ", "2405", 0, "\202\117101 "},
    {"      ", "2405", 0, "      "},
};

TEST(IsJccCodeTest, AcceptsCitiesAndWardsAndShortensWardsOutsideTheWindow)
{
    for (const JccRow& row : kJccRows) {
        SCOPED_TRACE("code [" + row.code + "] stamp [" + row.stamp + "]");
        std::string line = MakeLine(row.code, row.stamp);
        EXPECT_EQ(row.result, IsJccCode(line.data() + F010, line.data() + F047));
        // Only the code columns may change.
        EXPECT_EQ(MakeLine(row.after, row.stamp), line);
    }
}

struct CodeRow {
    std::string code;
    int result;
    std::string after;
};

const CodeRow kJcgRows[] = {
    {"12345 ", 1, "12345 "}, {"12345A", 1, "12345 "}, {"123456", 0, "123456"},
    {"1234  ", 0, "1234  "}, {"1234A5", 0, "1234A5"}, {"12345\x82", 1, "12345 "},
    {"1234 5", 0, "1234 5"}, {" 12345", 0, " 12345"}, {"      ", 0, "      "},
};

TEST(IsJcgCodeTest, AcceptsFiveDigitCountiesAndDropsATownLetter)
{
    for (const CodeRow& row : kJcgRows) {
        SCOPED_TRACE("code [" + row.code + "]");
        std::string line = MakeLine(row.code, "2405");
        EXPECT_EQ(row.result, IsJcgCode(line.data() + F010));
        EXPECT_EQ(MakeLine(row.after, "2405"), line);  // only the code columns may change
    }
}

// The town test never changes the line. \261 is the byte 0xB1.
struct TownRow {
    std::string code;
    int result;
};

const TownRow kTownRows[] = {
    {"12345A", 1}, {"00000Z", 1}, {"1234:A", 1}, {"?;<=>Q", 1}, {"12345a", 0},    {"12345 ", 0},
    {"123456", 0}, {"1234AB", 0}, {"1234/A", 0}, {"1234@A", 0}, {"12345\x82", 0}, {"\2612345A", 0},
};

TEST(IsTownCodeTest, AcceptsFiveBytesFrom0x30To0x3FAndALetterWithoutChangingTheLine)
{
    for (const TownRow& row : kTownRows) {
        SCOPED_TRACE("code [" + row.code + "]");
        const std::string before = MakeLine(row.code, "2405");
        std::string line = before;
        EXPECT_EQ(row.result, IsTownCode(line.data() + F010));
        EXPECT_EQ(before, line);
    }
}

}  // namespace
