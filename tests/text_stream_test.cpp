// Text-stream reading and writing: every row gives the bytes on disk and what
// the stream must deliver, or the text written and the bytes it must leave.
#include "platform/text_stream.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

struct ReadRow {
    const char* name;
    std::string onDisk;
    std::size_t maxCharacters;
    std::vector<std::string> reads;
    // Rows print as their names in test listings.
    friend void PrintTo(const ReadRow& row, std::ostream* out) { *out << row.name; }
};

const ReadRow kReadRows[] = {
    {"crlf_is_one_lf", "ab\r\ncd\r\n", 9, {"ab\n", "cd\n"}},
    {"cr_before_crlf", "a\r\r\n", 9, {"a\r\n"}},
    {"cr_at_end", "ab\r", 9, {"ab\r"}},
    {"eof_byte_after_cr", "a\r\x1A\n", 9, {"a\r"}},
    // CR LF is one character, wherever the limit falls.
    {"crlf_fits_as_one", "ab\r\n", 3, {"ab\n"}},
    {"crlf_after_limit", "abc\r\nd", 3, {"abc", "\n", "d"}},
};

class TextStreamRead : public testing::TestWithParam<ReadRow> {};

TEST_P(TextStreamRead, DeliversPieces)
{
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
    // Rows print as their names in test listings.
    friend void PrintTo(const WriteRow& row, std::ostream* out) { *out << row.name; }
};

const WriteRow kWriteRows[] = {
    {"lf_becomes_crlf", {"a\nb\n"}, "a\r\nb\r\n"},
    {"crlf_gains_a_cr", {"a\r\n"}, "a\r\r\n"},
    {"eof_byte_unchanged", {"\x1A\n"}, "\x1A\r\n"},
    {"writes_follow_each_other", {"ab", "", "c\n", "\n"}, "abc\r\n\r\n"},
};

class TextStreamWrite : public testing::TestWithParam<WriteRow> {};

TEST_P(TextStreamWrite, StoresBytes)
{
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

}  // namespace
