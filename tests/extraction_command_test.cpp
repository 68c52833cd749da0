// The Extraction button's range check and its dispatch on the mode number:
// which operation each mode runs, on which range, and that other modes run
// nothing at all.
#include "shell/extraction_command.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "extract/extraction_texts.h"
#include "platform/notifier.h"
#include "tests/line_expectations.h"
#include "tests/test_support.h"

namespace {

struct RangeRow {
    int start;
    int end;
    bool valid;
};

// Both ends non-zero and start not above end; nothing else is examined.
const RangeRow kRangeRows[] = {
    {1, 1, true},
    {1, 5, true},
    {5, 3, false},
    {0, 3, false},
    {3, 0, false},
    {0, 0, false},
    {-2, 10, true},
    {-5, -1, true},
    {-1, -5, false},
    {-1, 0, false},
    {INT_MIN, INT_MAX, true},
    {1, 1000000, true},
    {INT_MAX, INT_MIN, false},
};

TEST(ExtractionCommandTest, RangeCheck)
{
    for (const RangeRow& row : kRangeRows) {
        EXPECT_EQ(row.valid, IsValidRecordRange(row.start, row.end))
            << row.start << ".." << row.end;
    }
}

struct ModeRow {
    int mode;
    std::string file;
    std::vector<std::string> lineStarts;  // records 2 and 3
};

const ModeRow kModeRows[] = {
    {kModeBackupCopy, "TARVEK_CONV_DATA.TXT", {}},
    {kModeVersion4, "TARVEK4_EXT_DAT.TXT", {"JA4BBB", "JA4CCC"}},
    {kModeVersion5, "TARVEK5_EXT_DAT.TXT", {"JA5BBB", "JA5CCC"}},
    {kModeJcc, "TARVEK5_JCC_DAT.TXT", {}},
    {kModeJcg, "TARVEK5_JCG_DAT.TXT", {"JA5BBB", "JA5CCC"}},
    {kModeTown, "TARVEK5_TOWN_DAT.TXT", {"JA5BBB", "JA5CCC"}},
};

TEST(ExtractionCommandTest, EachModeRunsItsOperationOnTheRange)
{
    // One row for each mode, in number order.
    ASSERT_EQ(std::size(kExtractionModes), std::size(kModeRows));
    for (std::size_t i = 0; i < std::size(kModeRows); ++i) {
        EXPECT_EQ(kExtractionModes[i].number, kModeRows[i].mode);
    }
    for (const ModeRow& row : kModeRows) {
        SCOPED_TRACE(row.mode);
        ScratchFolder scratch;
        LayOutEverySource();
        std::set<std::string> expected = FolderContents();
        expected.insert(row.file);

        RecordingNotifier notifier;
        const OperationOutcome outcome = RunModeExtraction(row.mode, 2, 3, notifier);
        EXPECT_EQ(Messages{kMsgFinished}, notifier.Messages());
        EXPECT_EQ(OutcomeStatus::kFinished, outcome.status);
        EXPECT_EQ(row.file, outcome.outputName);
        EXPECT_EQ(expected, FolderContents());
        if (row.mode == kModeBackupCopy) {
            EXPECT_EQ("BAK2\r\nBAK3\r\n", ReadFileBytes(row.file));
        } else {
            EXPECT_EQ(row.lineStarts, LineFields(row.file, F000, 6));
        }
    }
}

TEST(ExtractionCommandTest, ModesWithoutButtonRunNothing)
{
    ScratchFolder scratch;
    LayOutEverySource();
    StartStandinTrace();
    const std::set<std::string> before = FolderContents();
    for (const int mode : {6, 7, 10, 15, -1}) {
        RecordingNotifier notifier;
        EXPECT_EQ(OutcomeStatus::kNothingRun, RunModeExtraction(mode, 1, 3, notifier).status)
            << mode;
        EXPECT_EQ(Messages{}, notifier.Messages()) << mode;
    }
    EXPECT_EQ(before, FolderContents());
    // The library is not even loaded.
    EXPECT_EQ("", StandinTrace());
}

}  // namespace
