// The settings file: the mode read from whatever a file holds, the 7 bytes a
// write leaves, and a missing or unusable file.
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "tests/test_support.h"

namespace {

using namespace std::string_literals;

// "flag=2" and a carriage return, byte by byte.
const std::string kDefaultBytes = "\x66\x6C\x61\x67\x3D\x32\x0D";

struct ReadRow {
    const char* name;
    std::string onDisk;
    int mode;
    // Rows print as their names in test listings.
    friend void PrintTo(const ReadRow& row, std::ostream* out) { *out << row.name; }
};

// The mode is the low four bits of the sixth character delivered by the text
// stream, 0 when the read stops after five, and the default 2 below five.
const ReadRow kReadRows[] = {
    {"crlf_ending", "flag=3\r\n", 3},
    {"backup_mode", "flag=0", 0},
    {"prefix_not_examined", "mode=5", 5},
    {"only_sixth_counts", "flag=12", 1},
    {"letter", "flag=A", 1},
    {"space", "flag= ", 0},
    {"nul_in_prefix", "fl\0g=4"s, 4},
    {"five_characters", "flag=", 0},
    {"four_and_crlf", "flag\r\n", 0},
    {"five_and_lf", "abcde\n", 10},
    {"five_and_crlf", "abcde\r\n", 10},
    {"five_and_cr", "abcde\rX", 13},
    {"eof_byte_sixth", "flag=\x1A"s + "5", 0},
    {"line_ends_early", "ab\nflag=5", 2},
    {"empty", "", 2},
};

class SettingsRead : public testing::TestWithParam<ReadRow> {};

TEST_P(SettingsRead, ModeFromSixthCharacter)
{
    const ReadRow& row = GetParam();
    ScratchFolder scratch;
    WriteFileBytes(kSettingsFileName, row.onDisk);

    EXPECT_EQ(ReadSettings(), row.mode);
    // Reading never changes a file that exists.
    EXPECT_EQ(ReadFileBytes(kSettingsFileName), row.onDisk);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsRead, testing::ValuesIn(kReadRows),
                         [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(SettingsWrite, EveryModeAsSevenBytesOverAnyContent)
{
    ScratchFolder scratch;
    for (int mode = 0; mode <= 5; ++mode) {
        SCOPED_TRACE(mode);
        WriteFileBytes(kSettingsFileName, "flag=9\r\nold content, longer than seven bytes\n");
        WriteSettings(mode);
        const std::string expected = "flag="s + static_cast<char>('0' + mode) + '\r';
        EXPECT_EQ(ReadFileBytes(kSettingsFileName), expected);
        EXPECT_EQ(ReadSettings(), mode);
    }
}

TEST(SettingsMissing, CreatedWithDefaultMode)
{
    ScratchFolder scratch;
    EXPECT_EQ(ReadSettings(), 2);
    EXPECT_EQ(ReadFileBytes(kSettingsFileName), kDefaultBytes);
    EXPECT_EQ(ReadSettings(), 2);
    EXPECT_EQ(ReadFileBytes(kSettingsFileName), kDefaultBytes);
}

// A folder standing at the settings file's name: it can be neither read nor
// created, and nothing may be written over it.
TEST(SettingsUnusable, FolderInPlaceGivesDefaultAndStays)
{
    ScratchFolder scratch;
    std::filesystem::create_directory(kSettingsFileName);
    EXPECT_EQ(ReadSettings(), 2);
    WriteSettings(4);
    EXPECT_TRUE(std::filesystem::is_directory(kSettingsFileName));
    EXPECT_TRUE(std::filesystem::is_empty(kSettingsFileName));
    EXPECT_EQ(ReadSettings(), 2);
}

}  // namespace
