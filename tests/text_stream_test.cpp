// Text-stream reading and writing: every row gives the bytes on disk and what
// the stream must deliver, or the text written and the bytes it must leave.
#include "platform/text_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

using namespace std::string_literals;

struct ReadRow {
    const char* name;
    std::string onDisk;
    std::size_t maxCharacters;
    std::vector<std::string> reads;
};

const ReadRow kReadRows[] = {
    {"crlf_is_one_lf", "ab\r\ncd\r\n", 9, {"ab\n", "cd\n"}},
    {"bare_lf", "ab\n\n", 9, {"ab\n", "\n"}},
    {"bare_cr_kept", "ab\rcd\n", 9, {"ab\rcd\n"}},
    {"cr_before_crlf", "a\r\r\n", 9, {"a\r\n"}},
    {"cr_at_end", "ab\r", 9, {"ab\r"}},
    {"last_line_without_lf", "ab\ncd", 9, {"ab\n", "cd"}},
    {"empty", "", 9, {}},
    {"eof_byte_ends_input", "ab\ncd\x1Agh\n", 9, {"ab\n", "cd"}},
    {"eof_byte_after_cr", "a\r\x1A\n", 9, {"a\r"}},
    {"eof_byte_first", "\x1Agh\n", 9, {}},
    {"limit_splits_line", "abcdefg\n", 3, {"abc", "def", "g\n"}},
    {"line_of_exactly_limit", "abc\n", 3, {"abc", "\n"}},
    // CR LF is one character, wherever the limit falls.
    {"crlf_fits_as_one", "ab\r\n", 3, {"ab\n"}},
    {"crlf_after_limit", "abc\r\nd", 3, {"abc", "\n", "d"}},
    {"nul_and_high_bytes", "a\0b\x82\xA0\xFF\n"s, 9, {"a\0b\x82\xA0\xFF\n"s}},
};

// Rows print as their names in test listings.
void PrintTo(const ReadRow& row, std::ostream* out) {
    *out << row.name;
}

class TextStreamRead : public testing::TestWithParam<ReadRow> {};

TEST_P(TextStreamRead, DeliversPieces) {
    const ReadRow& row = GetParam();
    ScratchFolder scratch;
    WriteFileBytes("in.txt", row.onDisk);

    TextInputFile file;
    ASSERT_TRUE(file.Open("in.txt"));
    std::vector<std::string> reads;
    std::string buffer(row.maxCharacters + 1, 'x');
    while (const std::size_t count = file.ReadLine(buffer.data(), row.maxCharacters)) {
        ASSERT_LE(count, row.maxCharacters);
        EXPECT_EQ(buffer[count], '\0');
        reads.emplace_back(buffer.data(), count);
    }
    EXPECT_EQ(reads, row.reads);
    // The end stays the end.
    EXPECT_EQ(file.ReadLine(buffer.data(), row.maxCharacters), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextStreamRead, testing::ValuesIn(kReadRows),
                         [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

struct WriteRow {
    const char* name;
    std::vector<std::string> writes;
    std::string onDisk;
};

const WriteRow kWriteRows[] = {
    {"lf_becomes_crlf", {"a\nb\n"}, "a\r\nb\r\n"},
    {"cr_unchanged", {"a\rb"}, "a\rb"},
    {"crlf_gains_a_cr", {"a\r\n"}, "a\r\r\n"},
    {"lf_alone", {"\n\n"}, "\r\n\r\n"},
    {"eof_byte_unchanged", {"\x1A\n"}, "\x1A\r\n"},
    {"nul_and_high_bytes", {"a\0\x82\xA0\xFF"s}, "a\0\x82\xA0\xFF"s},
    {"writes_follow_each_other", {"ab", "", "c\n", "\n"}, "abc\r\n\r\n"},
    {"nothing", {}, ""},
};

// Rows print as their names in test listings.
void PrintTo(const WriteRow& row, std::ostream* out) {
    *out << row.name;
}

class TextStreamWrite : public testing::TestWithParam<WriteRow> {};

TEST_P(TextStreamWrite, StoresBytes) {
    const WriteRow& row = GetParam();
    ScratchFolder scratch;
    WriteFileBytes("out.txt", "previous content that must go");

    TextOutputFile file;
    ASSERT_TRUE(file.Create("out.txt"));
    for (const std::string& text : row.writes) {
        EXPECT_TRUE(file.Write(text));
    }
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadFileBytes("out.txt"), row.onDisk);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextStreamWrite, testing::ValuesIn(kWriteRows),
                         [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(TextStreamOpen, MissingFileAndFolderAreNotOpened) {
    ScratchFolder scratch;
    std::filesystem::create_directory("folder");
    TextInputFile input;
    EXPECT_FALSE(input.Open("missing.txt"));
    EXPECT_FALSE(input.Open("folder"));
    TextOutputFile output;
    EXPECT_FALSE(output.Create("folder"));
}

}  // namespace
