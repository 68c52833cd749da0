// The version-4 and version-5 extraction flows against the stand-in library:
// which messages in which order, which lines reach the file, and that the
// library is released on every path.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "extract/extraction_output.h"
#include "extract/extraction_texts.h"
#include "extract/line_layout.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "tests/line_expectations.h"
#include "tests/test_support.h"

namespace {

const std::string kFinished = kMsgFinished;
const std::string kUnreadable = kMsgRecordNumberUnreadable;
const std::string kNoLibrary = LogLibraryCannotOpenMessage();

// The callsigns of the records, one per record number from 1.
const std::vector<std::string> kCallsigns = {"JA1AAA", "JA1BBB", "JA1CCC", "JA1DDD", "JA1EEE"};

std::vector<std::string> CallsignsOf(int first, int last)
{
    return {kCallsigns.begin() + first - 1, kCallsigns.begin() + last};
}

// Version-5 records whose codes each filter judges differently.
const std::string kStamp = "09/12/31 23:59J";
const std::string kQth = "QTH that the JCC and JCG files blank";
const std::vector<Version5Sample> kVersion5Rows = {
    {"JA1AAA", "1101", kStamp, "JEX", kQth},     // city: JCC
    {"JA1BBB/1", "100105", kStamp, "JE", kQth},  // Tokyo ward before April 2010: JCC as 1001
    {"JA1CCC", "11003B", kStamp, "NQX", kQth},   // town: JCG as 11003, town
    {"JA1DDD/M", "10007", kStamp, "JQX", kQth},  // county: JCG
    {"JA1EEE", "5001", kStamp, "NNX", kQth},     // nothing
};

// Both logs and the stand-in, its trace on, in a scratch folder.
class ExtractionFlowTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteVersion4Log(kCallsigns);
        WriteVersion5Log(kVersion5Rows);
        InstallStandin();
        StartStandinTrace();
    }

    ScratchFolder m_folder;
    RecordingNotifier m_notifier;
};

struct RangeCase {
    int start;
    int end;
    std::string failRead;  // record number whose read fails, or empty
    std::vector<std::string> calls;
    Messages messages;
};

// The texts that the tests take from the program are the system's own: its
// messages and file names, as the user sees them.
TEST_F(ExtractionFlowTest, MessagesAndFileNamesAreTheSystemsOwn)
{
    const std::pair<std::string, std::string> texts[] = {
        {kMsgFinished, "終了しました"},
        {kMsgRecordNumberUnreadable, "レコード番号が読めません"},
        {LogLibraryCannotOpenMessage(), "TARVEK50.DLLがオープンできません"},
        {Version4DatabaseCannotOpenMessage(), "TARVEK.DBSがオープンできません"},
        {kMsgVersion5DatabaseCannotOpen, "TARVEK50.VDBがオープンできません"},
        {BackupInputNotFoundMessage(), "BAK0001.TXTファイルが見つかりません"},
        {CannotCreateMessage(kJccOutputName), "TARVEK5_JCC_DAT.TXTファイルが作成できません"},
        {CannotWriteMessage(kBackupOutputName), "TARVEK_CONV_DATA.TXTファイルに書き込めません"},
        {kVersion4OutputName, "TARVEK4_EXT_DAT.TXT"},
        {kVersion5OutputName, "TARVEK5_EXT_DAT.TXT"},
        {kJccOutputName, "TARVEK5_JCC_DAT.TXT"},
        {kJcgOutputName, "TARVEK5_JCG_DAT.TXT"},
        {kTownOutputName, "TARVEK5_TOWN_DAT.TXT"},
        {kBackupInputName, "BAK0001.TXT"},
        {kBackupOutputName, "TARVEK_CONV_DATA.TXT"},
        {kVersion4DatabaseName, "TARVEK.DBS"},
        {kVersion5DatabaseName, "TARVEK.VDB"},
    };
    for (const auto& [program, own] : texts) {
        EXPECT_EQ(own, program);
    }
}

TEST_F(ExtractionFlowTest, Version4WritesTheRangeUntilAReadFails)
{
    const RangeCase cases[] = {
        {1, 5, "", CallsignsOf(1, 5), {kFinished}},
        {2, 2, "", CallsignsOf(2, 2), {kFinished}},
        {1, 5, "1", {}, {kUnreadable, kFinished}},
        {2, 5, "4", CallsignsOf(2, 3), {kUnreadable, kFinished}},
        // Past the last record the library's read fails like any other.
        {4, 9, "", CallsignsOf(4, 5), {kUnreadable, kFinished}},
        {-2, 3, "", {}, {kUnreadable, kFinished}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
        SetStandinControl("TARVEK_STANDIN_FAIL_READ", c.failRead);
        RecordingNotifier notifier;
        const OperationOutcome outcome = ExtractVersion4(c.start, c.end, notifier);
        EXPECT_EQ(c.messages, notifier.Messages());
        EXPECT_EQ(c.calls, LineFields("TARVEK4_EXT_DAT.TXT", F000, 6));
        // Every record read is written; a failed read shows before finished.
        EXPECT_EQ(c.messages.size() == 1 ? OutcomeStatus::kFinished
                                         : OutcomeStatus::kFinishedAfterFailedRead,
                  outcome.status);
        EXPECT_EQ(static_cast<std::int64_t>(c.calls.size()), outcome.linesWritten);
        EXPECT_EQ(static_cast<std::int64_t>(c.calls.size()), outcome.itemsRead);
        EXPECT_FALSE(IsLogLibraryLoaded());
    }
}

// Enough lines that the write buffer's end falls inside a line, twice: each
// line still reaches the file whole and in its place.
TEST_F(ExtractionFlowTest, LinesAcrossTheWriteBufferEndReachTheFileWhole)
{
    constexpr int kRecords =
        2 * static_cast<int>(ExtractionOutput::kBufferSize) / kLineBytesOnDisk + 1;
    static_assert(2 * ExtractionOutput::kBufferSize % kLineBytesOnDisk != 0);
    std::vector<std::string> callsigns;
    for (int n = 1; n <= kRecords; ++n) {
        callsigns.push_back("JA" + std::to_string(1000 + n));
    }
    WriteVersion4Log(callsigns);
    EXPECT_EQ(OutcomeStatus::kFinished, ExtractVersion4(1, kRecords, m_notifier).status);
    EXPECT_EQ(Messages{kFinished}, m_notifier.Messages());
    std::vector<std::string> expected;
    for (const std::string& callsign : callsigns) {
        expected.push_back(ExpectedLine({{F000, callsign}}));
    }
    EXPECT_EQ(expected, OutputLines("TARVEK4_EXT_DAT.TXT"));
}

#ifdef TARVEK_CONTRACT_CHECKS
// The sanitized builds stop a commit of more than the room, which would have
// run past the buffer's end; a commit of the whole room is kept.
TEST_F(ExtractionFlowTest, CommitOfMoreThanTheRoomStopsTheProgram)
{
    ExtractionOutput output;
    ASSERT_TRUE(output.Create("TARVEK4_EXT_DAT.TXT"));
    EXPECT_TRUE(output.Commit(ExtractionOutput::kRoomBytes));
    EXPECT_DEATH(output.Commit(ExtractionOutput::kRoomBytes + 1), "");
}
#endif

TEST_F(ExtractionFlowTest, Version4CallsTheLibraryInContractOrder)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_READ", "3");
    ExtractVersion4(1, 5, m_notifier);
    EXPECT_EQ(
        "load\nDbsDbrOpen TARVEK.DBS\nDbsDbrRead 1\nDbsDbrRead 2\nDbsDbrRead 3\n"
        "DbsDbrClose\nunload\n",
        StandinTrace());
}

TEST_F(ExtractionFlowTest, Version4FailedOpenLeavesAnExistingOutputUntouched)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_OPEN", "1");
    WriteFileBytes("TARVEK4_EXT_DAT.TXT", "earlier output\r\n");
    EXPECT_EQ(OutcomeStatus::kDatabaseCannotOpen, ExtractVersion4(1, 5, m_notifier).status);
    EXPECT_EQ(Messages{Version4DatabaseCannotOpenMessage()}, m_notifier.Messages());
    EXPECT_EQ("earlier output\r\n", ReadFileBytes("TARVEK4_EXT_DAT.TXT"));
    EXPECT_EQ("load\nDbsDbrOpen TARVEK.DBS\nunload\n", StandinTrace());
}

TEST_F(ExtractionFlowTest, WithoutTheLibraryNothingIsTouched)
{
    std::filesystem::remove(kLogLibraryFileName);
    EXPECT_EQ(OutcomeStatus::kLogLibraryMissing, ExtractVersion4(1, 5, m_notifier).status);
    EXPECT_EQ(OutcomeStatus::kLogLibraryMissing,
              ExtractVersion5(1, 5, kExtractionModes[3], m_notifier).status);
    EXPECT_EQ((Messages{kNoLibrary, kNoLibrary}), m_notifier.Messages());
    EXPECT_FALSE(FileExists("TARVEK4_EXT_DAT.TXT"));
    EXPECT_FALSE(FileExists("TARVEK5_JCC_DAT.TXT"));
}

struct ModeCase {
    int mode;
    std::string file;
    std::vector<std::string> calls;
    std::vector<std::string> codes;
    bool f064Blank;
};

TEST_F(ExtractionFlowTest, Version5WritesWhatTheModeAccepts)
{
    const ModeCase cases[] = {
        {2,
         "TARVEK5_EXT_DAT.TXT",
         CallsignsOf(1, 5),
         {"1101  ", "100105", "11003B", "10007 ", "5001  "},
         false},
        {3, "TARVEK5_JCC_DAT.TXT", CallsignsOf(1, 2), {"1101  ", "1001  "}, true},
        {4, "TARVEK5_JCG_DAT.TXT", CallsignsOf(3, 4), {"11003 ", "10007 "}, true},
        {5, "TARVEK5_TOWN_DAT.TXT", CallsignsOf(3, 3), {"11003B"}, false},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.mode);
        RecordingNotifier notifier;
        ExtractVersion5(1, 5, kExtractionModes[c.mode], notifier);
        EXPECT_EQ(Messages{kFinished}, notifier.Messages());
        EXPECT_EQ(c.calls, LineFields(c.file, F000, 6));
        EXPECT_EQ(c.codes, LineFields(c.file, F010, 6));
        for (const std::string& f064 : LineFields(c.file, F064, kF064Width)) {
            EXPECT_EQ(c.f064Blank, f064 == std::string(kF064Width, ' ')) << f064;
        }
        EXPECT_FALSE(IsLogLibraryLoaded());
    }
}

TEST_F(ExtractionFlowTest, Version5MarksColumn46OnlyInFilteredModes)
{
    const struct {
        int mode;
        int end;
        const char* file;
        std::vector<std::string> marks;
    } cases[] = {
        {2, 5, "TARVEK5_EXT_DAT.TXT", {"JEX", "JE ", "NQX", "JQX", "NNX"}},
        {4, 5, "TARVEK5_JCG_DAT.TXT", {"NQC", "JQC"}},
        {3, 2, "TARVEK5_JCC_DAT.TXT", {"JEC", "JE "}},
    };
    for (const auto& c : cases) {
        ExtractVersion5(1, c.end, kExtractionModes[c.mode], m_notifier);
        EXPECT_EQ(c.marks, LineFields(c.file, F044, 3));
    }
}

TEST_F(ExtractionFlowTest, Version5RunWithoutAcceptedRecordsLeavesAnEmptyFile)
{
    WriteFileBytes("TARVEK5_TOWN_DAT.TXT", "earlier output\r\n");
    ExtractVersion5(5, 5, kExtractionModes[5], m_notifier);
    EXPECT_EQ(Messages{kFinished}, m_notifier.Messages());
    EXPECT_EQ("", ReadFileBytes("TARVEK5_TOWN_DAT.TXT"));
}

TEST_F(ExtractionFlowTest, Version5ReadFailureStopsTheRun)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_READ", "2");
    const OperationOutcome outcome = ExtractVersion5(1, 5, kExtractionModes[2], m_notifier);
    EXPECT_EQ(OutcomeStatus::kFinishedAfterFailedRead, outcome.status);
    EXPECT_EQ(1, outcome.linesWritten);
    EXPECT_EQ(1, outcome.itemsRead);
    EXPECT_EQ((Messages{kUnreadable, kFinished}), m_notifier.Messages());
    EXPECT_EQ(CallsignsOf(1, 1), LineFields("TARVEK5_EXT_DAT.TXT", F000, 6));
    EXPECT_EQ("load\nTarvekOpen 0 TARVEK.VDB 0\nVKD_readv 1\nVKD_readv 2\nTarvekClose 0\nunload\n",
              StandinTrace());
}

TEST_F(ExtractionFlowTest, Version5FailedOpenCreatesNoFile)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_OPEN", "1");
    EXPECT_EQ(OutcomeStatus::kDatabaseCannotOpen,
              ExtractVersion5(1, 5, kExtractionModes[3], m_notifier).status);
    EXPECT_EQ(Messages{kMsgVersion5DatabaseCannotOpen}, m_notifier.Messages());
    EXPECT_FALSE(FileExists("TARVEK5_JCC_DAT.TXT"));
    EXPECT_EQ("load\nTarvekOpen 0 TARVEK.VDB 0\nunload\n", StandinTrace());
}

TEST_F(ExtractionFlowTest, Version5BufferKeepsWhatTheNextReadDoesNotWrite)
{
    WriteVersion5Log({{"ABCDEFGHIJKL/12"}, {"AB"}});
    ExtractVersion5(1, 2, kExtractionModes[2], m_notifier);
    const std::vector<std::string> lines = OutputLines("TARVEK5_EXT_DAT.TXT");
    ASSERT_EQ(2U, lines.size());
    EXPECT_EQ("ABCDEFG12 ", lines[0].substr(0, 10));
    // "AB" and its NUL overwrite the first three bytes; from offset 3 the old
    // text "DEFGHIJKL" is now the suffix.
    EXPECT_EQ("AB     DEF", lines[1].substr(0, 10));
}

// An output that cannot be created: a folder stands where the file would go.
TEST_F(ExtractionFlowTest, OutputThatCannotBeCreatedIsReportedAndNothingElse)
{
    std::filesystem::create_directory("TARVEK4_EXT_DAT.TXT");
    std::filesystem::create_directory("TARVEK5_JCG_DAT.TXT");
    EXPECT_EQ(OutcomeStatus::kOutputCannotCreate, ExtractVersion4(1, 5, m_notifier).status);
    EXPECT_EQ(OutcomeStatus::kOutputCannotCreate,
              ExtractVersion5(1, 5, kExtractionModes[4], m_notifier).status);
    EXPECT_EQ(
        (Messages{CannotCreateMessage(kVersion4OutputName), CannotCreateMessage(kJcgOutputName)}),
        m_notifier.Messages());
    EXPECT_EQ(
        "load\nDbsDbrOpen TARVEK.DBS\nDbsDbrClose\nunload\n"
        "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n",
        StandinTrace());
}

class FullDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsReady());
        InstallStandin();
        StartStandinTrace();
    }

    FullDeviceFolder m_folder{"full_device_extraction", kVersion4OutputName};
    RecordingNotifier m_notifier;
};

// Records of a log long enough that its output outgrows the write buffer.
std::vector<Version5Sample> ManyVersion5Records(int count)
{
    return std::vector<Version5Sample>(static_cast<std::size_t>(count),
                                       Version5Sample{"JA1ABC", "1101", "", "JEX"});
}

int CountOf(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(FullDeviceTest, FailedWriteIsReportedInsteadOfFinished)
{
    WriteVersion4Log(kCallsigns);
    WriteVersion5Log(ManyVersion5Records(5));
    EXPECT_EQ(OutcomeStatus::kOutputCannotWrite, ExtractVersion4(1, 5, m_notifier).status);
    EXPECT_EQ(OutcomeStatus::kOutputCannotWrite,
              ExtractVersion5(1, 5, kExtractionModes[2], m_notifier).status);
    EXPECT_EQ(OutcomeStatus::kOutputCannotWrite,
              ExtractVersion5(1, 5, kExtractionModes[3], m_notifier).status);
    EXPECT_EQ(
        (Messages{CannotWriteMessage(kVersion4OutputName), CannotWriteMessage(kVersion5OutputName),
                  CannotWriteMessage(kJccOutputName)}),
        m_notifier.Messages());
    // Every run closed its database and released the library.
    EXPECT_EQ(3, CountOf(StandinTrace(), "unload"));
    EXPECT_EQ(1, CountOf(StandinTrace(), "DbsDbrClose"));
    EXPECT_EQ(2, CountOf(StandinTrace(), "TarvekClose 0"));
    EXPECT_FALSE(IsLogLibraryLoaded());
}

TEST_F(FullDeviceTest, RunStopsAtTheFirstFailedWrite)
{
    // Lines for two write buffers, so that the first write fails before the end.
    constexpr int kRecords = 2 * static_cast<int>(ExtractionOutput::kBufferSize) / kLineBytesOnDisk;
    WriteVersion5Log(ManyVersion5Records(kRecords));
    ExtractVersion5(1, kRecords, kExtractionModes[2], m_notifier);
    EXPECT_EQ(Messages{CannotWriteMessage(kVersion5OutputName)}, m_notifier.Messages());
    const int reads = CountOf(StandinTrace(), "VKD_readv");
    EXPECT_GT(reads, 0);
    EXPECT_LT(reads, kRecords);
    EXPECT_EQ(1, CountOf(StandinTrace(), "TarvekClose 0"));
}

TEST_F(FullDeviceTest, RunThatWritesNothingStillFinishes)
{
    WriteVersion5Log(ManyVersion5Records(3));
    // Code 1101 is no town: nothing is written, so nothing can fail.
    ExtractVersion5(1, 3, kExtractionModes[5], m_notifier);
    EXPECT_EQ(Messages{kFinished}, m_notifier.Messages());
}

}  // namespace
