// The backup range copy: which lines of "BAK0001.TXT" reach
// "TARVEK_CONV_DATA.TXT", and what the user is told when a file cannot be
// read, created or written.
#include "extract/backup_copy.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "extract/extraction_modes.h"
#include "extract/extraction_texts.h"
#include "platform/notifier.h"
#include "platform/text_stream.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;

const Messages kFinished = {kMsgFinished};
const Messages kCannotWrite = {CannotWriteMessage(kBackupOutputName)};

const std::string kFiveLines = "L1\r\nL2\r\nL3\r\nL4\r\nL5\r\n";
const std::string k250 = std::string(200, 'a') + std::string(50, 'b');
const std::string k200 = std::string(200, 'c');
// Lines of 199 characters, 8 KiB of output: more than two write buffers'
// worth, for a text file's buffer is a few KiB, not the half MiB of an
// extraction's.
constexpr int kManyLines = 8 * 1024 / 201 + 1;
static_assert(kManyLines * 201 > 2 * TextOutputFile::kBufferSize);
std::string ManyLines()
{
    std::string lines;
    for (int i = 0; i < kManyLines; ++i) {
        lines += std::string(199, 'x') + "\r\n";
    }
    return lines;
}

// A double-byte character (82 A0) whose bytes fall into two pieces.
const std::string kSplitCharacter = std::string(199, 'd') + "\x82\xA0";

struct RangeRow {
    const char* name;
    std::string input;
    int start;
    int end;
    std::string output;
    // Rows print as their names in test listings.
    friend void PrintTo(const RangeRow& row, std::ostream* out) { *out << row.name; }
};

const RangeRow kRangeRows[] = {
    {"middle_lines", kFiveLines, 2, 3, "L2\r\nL3\r\n"},
    {"first_line", kFiveLines, 1, 1, "L1\r\n"},
    {"start_past_end_of_input", "L1\r\nL2\r\nL3\r\n", 4, 10, ""},
    {"negative_start", kFiveLines, -5, 2, "L1\r\nL2\r\n"},
    {"negative_range", kFiveLines, -5, -1, ""},
    {"end_int_max", kFiveLines, 3, INT_MAX, "L3\r\nL4\r\nL5\r\n"},
    {"widest_range", kFiveLines, INT_MIN, INT_MAX, kFiveLines},
    {"empty_input", "", 1, 1, ""},
    {"first_piece_of_250", k250 + "\r\nL2\r\n", 1, 1, std::string(200, 'a')},
    {"second_piece_of_250", k250 + "\r\nL2\r\n", 2, 3, std::string(50, 'b') + "\r\nL2\r\n"},
    {"pieces_of_250_joined", k250 + "\r\n", 1, 2, k250 + "\r\n"},
    {"line_of_200_counts_two", k200 + "\r\nL3\r\n", 1, 2, k200 + "\r\n"},
    {"line_end_of_200_alone", k200 + "\r\nL3\r\n", 2, 2, "\r\n"},
    {"split_character_second_byte", kSplitCharacter + "\r\n", 2, 2, "\xA0\r\n"},
    {"bare_lf_becomes_crlf", "a\nb\nc\n", 1, 3, "a\r\nb\r\nc\r\n"},
    {"bare_cr_kept", "a\rb\r\nc\r\n", 1, 2, "a\rb\r\nc\r\n"},
    {"last_line_without_lf", "L1\r\nL2", 1, 5, "L1\r\nL2"},
    {"eof_byte_ends_input", "L1\r\nL2\r\n\x1AL3\r\nL4\r\n", 1, 10, "L1\r\nL2\r\n"},
    {"nothing_counted_after_eof_byte", "L1\r\n\x1AL2\r\nL3\r\n", 2, 3, ""},
    {"nul_bytes_copied", "a\0b\r\n"s, 1, 1, "a\0b\r\n"s},
};

// Records each message with the output file's bytes at that moment: the
// finished message may come only once the output is complete on disk.
class OutputSnapshotNotifier final : public Notifier {
public:
    void Show(std::string_view text) override
    {
        m_messages.emplace_back(text);
        m_outputs.push_back(ReadFileBytes(kBackupOutputName));
    }
    const std::vector<std::string>& Messages() const { return m_messages; }
    const std::vector<std::string>& Outputs() const { return m_outputs; }

private:
    std::vector<std::string> m_messages;
    std::vector<std::string> m_outputs;
};

class BackupCopyRange : public testing::TestWithParam<RangeRow> {};

TEST_P(BackupCopyRange, CopiesLinesInRange)
{
    const RangeRow& row = GetParam();
    ScratchFolder scratch;
    WriteFileBytes(kBackupInputName, row.input);
    // A previous output, longer than any expected one: a run replaces it.
    WriteFileBytes(kBackupOutputName, std::string(1000, 'z') + "\r\n");

    OutputSnapshotNotifier notifier;
    CopyBackupRange(row.start, row.end, notifier);

    EXPECT_EQ(notifier.Messages(), kFinished);
    EXPECT_EQ(notifier.Outputs(), std::vector<std::string>{row.output});
    EXPECT_EQ(ReadFileBytes(kBackupInputName), row.input);
}

INSTANTIATE_TEST_SUITE_P(Rows, BackupCopyRange, testing::ValuesIn(kRangeRows),
                         [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(BackupCopyInput, MissingInputLeavesOutputAlone)
{
    ScratchFolder scratch;
    RecordingNotifier notifier;
    EXPECT_EQ(CopyBackupRange(1, 5, notifier).status, OutcomeStatus::kBackupInputNotFound);
    EXPECT_EQ(notifier.Messages(), Messages{BackupInputNotFoundMessage()});
    EXPECT_FALSE(FileExists(kBackupOutputName));

    const std::string previous = "previous output\r\n";
    WriteFileBytes(kBackupOutputName, previous);
    fs::create_directory(kBackupInputName);
    RecordingNotifier second;
    CopyBackupRange(1, 5, second);
    EXPECT_EQ(second.Messages(), Messages{BackupInputNotFoundMessage()});
    EXPECT_EQ(ReadFileBytes(kBackupOutputName), previous);
}

// The system refuses to create the output when a folder stands at its name.
TEST(BackupCopyOutput, CannotCreate)
{
    ScratchFolder scratch;
    WriteFileBytes(kBackupInputName, kFiveLines);
    fs::create_directory(kBackupOutputName);

    RecordingNotifier notifier;
    EXPECT_EQ(CopyBackupRange(1, 5, notifier).status, OutcomeStatus::kOutputCannotCreate);

    EXPECT_EQ(notifier.Messages(), Messages{CannotCreateMessage(kBackupOutputName)});
    EXPECT_TRUE(fs::is_directory(kBackupOutputName));
    EXPECT_TRUE(fs::is_empty(kBackupOutputName));
}

struct FullDeviceRow {
    const char* name;
    std::string input;
    int start;
    int end;
    Messages messages;
    std::int64_t linesWritten;
};

// Under a write buffer's worth of output the failure shows when the file is
// closed, after every line; above it at a write, and the copy stops there,
// before its end. An empty output writes nothing and so finishes.
const FullDeviceRow kFullDeviceRows[] = {
    {"fails_at_close", kFiveLines, 1, 5, kCannotWrite, 5},
    {"fails_at_write", ManyLines(), 1, kManyLines, kCannotWrite,
     static_cast<int>(TextOutputFile::kBufferSize) / 201},
    {"nothing_to_write", kFiveLines, 6, 9, kFinished, 0},
};

TEST(BackupCopyOutput, FullDevice)
{
    const FullDeviceFolder folder("full_device", kBackupOutputName);
    ASSERT_TRUE(folder.IsReady());
    for (const FullDeviceRow& row : kFullDeviceRows) {
        SCOPED_TRACE(row.name);
        WriteFileBytes(kBackupInputName, row.input);
        RecordingNotifier notifier;
        const OperationOutcome outcome = CopyBackupRange(row.start, row.end, notifier);
        fs::remove(kBackupInputName);
        EXPECT_EQ(notifier.Messages(), row.messages);
        EXPECT_EQ(outcome.linesWritten, row.linesWritten);
    }
}

}  // namespace
