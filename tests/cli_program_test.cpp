// The console program's runs against the stand-in library: the exit status,
// the messages, what goes to each stream, the files each command leaves,
// and the settings file read only when asked for.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/program.h"
#include "extract/extraction_line.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "shell/extraction_command.h"
#include "shell/settings.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using Messages = std::vector<std::string>;

class RecordingConsole final : public ConsoleOutput {
public:
    void Print(std::string_view text) override { m_printed += text; }
    void PrintError(std::string_view text) override { m_errors += text; }
    const std::string& Printed() const { return m_printed; }
    const std::string& Errors() const { return m_errors; }

private:
    std::string m_printed;
    std::string m_errors;
};

// What a run gave back.
struct Outcome {
    int status;
    Messages messages;
    std::string printed;
    std::string errors;
};

Outcome RunProgram(const std::vector<std::string_view>& arguments)
{
    RecordingConsole console;
    RecordingNotifier notifier;
    const int status = RunConsoleProgram(arguments, console, notifier);
    return {status, notifier.Messages(), console.Printed(), console.Errors()};
}

// Three version-4 records, four version-5 records (so that the two counts
// differ) and three backup lines. The first version-5 record has a city
// code, which only the JCC test accepts; the other three have town codes,
// which the JCG and the town tests accept and the JCC test rejects.
void WriteSources()
{
    WriteVersion4Log({"JA4AAA", "JA4AAA", "JA4AAA"});
    std::vector<Version5Sample> samples;
    for (const char* code : {"1101", "11003B", "28004A", "01001C"}) {
        samples.push_back({"JA5AAA", code});
    }
    WriteVersion5Log(samples);
    WriteFileBytes(kBackupInputName, "BAK1\r\nBAK2\r\nBAK3\r\n");
}

// What a folder lacks for a run.
enum class Missing { kNothing, kLibrary, kBackupInput };

struct StatusRow {
    std::vector<std::string_view> arguments;
    Missing missing;
    int status;
    Messages messages;
    std::string printed;
    std::string created;  // the one file the run leaves, if any
    std::size_t createdSize;
};

const std::string kFinished = kMsgFinished;
const std::string kUnreadable = kMsgRecordNumberUnreadable;
const std::string kInvalid = kMsgInvalidRecordNumbers;

constexpr std::size_t kLine = kLineBytesOnDisk;

// The summary line that a finished extraction or backup copy prints.
std::string Summary(const char* outputName, const char* counts)
{
    return std::string(outputName) + ": " + counts + "\n";
}

const StatusRow kStatusRows[] = {
    {{"count", "ver4"}, Missing::kNothing, kExitSuccess, {}, "3\n", "", 0},
    {{"count", "1"}, Missing::kNothing, kExitSuccess, {}, "3\n", "", 0},
    {{"count", "jcc"}, Missing::kNothing, kExitSuccess, {}, "4\n", "", 0},
    {{"count", "backup"}, Missing::kNothing, kExitFailure, {}, "-1\n", "", 0},
    {{"count", "5"}, Missing::kLibrary, kExitFailure, {kMsgLogLibraryCannotOpen}, "-1\n", "", 0},
    {{"count", "0"}, Missing::kLibrary, kExitFailure, {kMsgLogLibraryCannotOpen}, "-1\n", "", 0},
    {{"extract", "ver4", "1", "3"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kVersion4OutputName, "3 lines written, 3 records read"),
     kVersion4OutputName,
     3 * kLine},
    {{"extract", "2", "2", "4"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kVersion5OutputName, "3 lines written, 3 records read"),
     kVersion5OutputName,
     3 * kLine},
    // Records 2 to 4 fail the JCC test: a run that writes no line finishes.
    {{"extract", "jcc", "2", "4"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kJccOutputName, "0 lines written, 3 records read"),
     kJccOutputName,
     0},
    {{"extract", "jcc", "1", "4"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kJccOutputName, "1 line written, 4 records read"),
     kJccOutputName,
     kLine},
    {{"extract", "jcg", "1", "4"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kJcgOutputName, "3 lines written, 4 records read"),
     kJcgOutputName,
     3 * kLine},
    {{"extract", "TOWN", "1", "4"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kTownOutputName, "3 lines written, 4 records read"),
     kTownOutputName,
     3 * kLine},
    // The copy reads on to the end of the input, and stops after line end.
    {{"extract", "backup", "2", "9"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kBackupOutputName, "2 lines written, 3 lines read"),
     kBackupOutputName,
     12},
    {{"extract", "backup", "1", "1"},
     Missing::kNothing,
     kExitSuccess,
     {kFinished},
     Summary(kBackupOutputName, "1 line written, 1 line read"),
     kBackupOutputName,
     6},
    {{"extract", "ver5", "3", "5"},
     Missing::kNothing,
     kExitFailure,
     {kUnreadable, kFinished},
     Summary(kVersion5OutputName, "2 lines written, 2 records read"),
     kVersion5OutputName,
     2 * kLine},
    {{"extract", "ver4", "-2", "1"},
     Missing::kNothing,
     kExitFailure,
     {kUnreadable, kFinished},
     Summary(kVersion4OutputName, "0 lines written, 0 records read"),
     kVersion4OutputName,
     0},
    {{"extract", "town", "3", "1"}, Missing::kNothing, kExitFailure, {kInvalid}, "", "", 0},
    {{"extract", "town", "0", "1"}, Missing::kNothing, kExitFailure, {kInvalid}, "", "", 0},
    {{"extract", "backup", "1", "0"}, Missing::kNothing, kExitFailure, {kInvalid}, "", "", 0},
    {{"extract", "jcg", "1", "4"},
     Missing::kLibrary,
     kExitFailure,
     {kMsgLogLibraryCannotOpen},
     "",
     "",
     0},
    {{"extract", "backup", "1", "3"},
     Missing::kBackupInput,
     kExitFailure,
     {kMsgBackupInputNotFound},
     "",
     "",
     0},
};

TEST(CliProgramTest, ExitStatusMessagesAndFiles)
{
    for (const StatusRow& row : kStatusRows) {
        SCOPED_TRACE(std::string(row.arguments[0]) + " " + std::string(row.arguments[1]));
        ScratchFolder scratch;
        WriteSources();
        if (row.missing != Missing::kLibrary) {
            InstallStandin();
        }
        if (row.missing == Missing::kBackupInput) {
            fs::remove(kBackupInputName);
        }
        std::set<std::string> expected = FolderContents();
        if (!row.created.empty()) {
            expected.insert(row.created);
        }

        const Outcome run = RunProgram(row.arguments);
        EXPECT_EQ(row.status, run.status);
        EXPECT_EQ(row.messages, run.messages);
        EXPECT_EQ(row.printed, run.printed);
        EXPECT_EQ("", run.errors);
        // The settings file is neither read nor written.
        EXPECT_EQ(expected, FolderContents());
        if (!row.created.empty()) {
            EXPECT_EQ(row.createdSize, ReadFileBytes(row.created).size());
        }
    }
}

// With --use-settings the mode comes from the settings file as in the
// dialog: a missing file is created with mode 2, a mode without a button
// runs nothing, and the range is checked before the file is read.
TEST(CliProgramTest, UseSettingsTakesTheModeFromTheFile)
{
    struct SettingsRow {
        const char* before;  // nullptr: no settings file
        std::vector<std::string_view> arguments;
        int status;
        Messages messages;
        std::string printed;
        std::string created;
    };
    const std::string kMode2 = std::string(kSettingsPrefix) + "2\r";
    const SettingsRow rows[] = {
        {nullptr, {"--use-settings", "count"}, kExitSuccess, {}, "4\n", ""},
        {"flag=1\r", {"--use-settings", "count"}, kExitSuccess, {}, "3\n", ""},
        {"flag=0\r", {"--use-settings", "count"}, kExitFailure, {}, "-1\n", ""},
        {nullptr,
         {"--use-settings", "extract", "1", "4"},
         kExitSuccess,
         {kFinished},
         Summary(kVersion5OutputName, "4 lines written, 4 records read"),
         kVersion5OutputName},
        {"flag=0\r",
         {"extract", "1", "2", "--use-settings"},
         kExitSuccess,
         {kFinished},
         Summary(kBackupOutputName, "2 lines written, 2 lines read"),
         kBackupOutputName},
        {"flag=4\r\n",
         {"--use-settings", "extract", "1", "4"},
         kExitSuccess,
         {kFinished},
         Summary(kJcgOutputName, "3 lines written, 4 records read"),
         kJcgOutputName},
        {"flag=7\r", {"--use-settings", "extract", "1", "4"}, kExitFailure, {}, "", ""},
        {nullptr, {"--use-settings", "extract", "4", "1"}, kExitFailure, {kInvalid}, "", ""},
    };
    for (const SettingsRow& row : rows) {
        SCOPED_TRACE(row.before != nullptr ? row.before : "no settings file");
        ScratchFolder scratch;
        WriteSources();
        InstallStandin();
        if (row.before != nullptr) {
            WriteFileBytes(kSettingsFileName, row.before);
        }
        std::set<std::string> expected = FolderContents();
        if (!row.created.empty()) {
            expected.insert(row.created);
        }
        // A missing file is created by reading it, which follows the range check.
        if (row.before == nullptr && row.messages != Messages{kInvalid}) {
            expected.insert(kSettingsFileName);
        }

        const Outcome run = RunProgram(row.arguments);
        EXPECT_EQ(row.status, run.status);
        EXPECT_EQ(row.messages, run.messages);
        EXPECT_EQ(row.printed, run.printed);
        EXPECT_EQ(expected, FolderContents());
        if (FileExists(kSettingsFileName)) {
            EXPECT_EQ(row.before != nullptr ? row.before : kMode2,
                      ReadFileBytes(kSettingsFileName));
        }
    }
}

// Wrong arguments: the reason and the usage on the error stream, nothing
// run, nothing loaded, no file touched. --help prints the help alone.
TEST(CliProgramTest, WrongArgumentsAndHelp)
{
    ScratchFolder scratch;
    WriteSources();
    InstallStandin();
    StartStandinTrace();
    const std::set<std::string> before = FolderContents();
    const std::vector<std::vector<std::string_view>> wrong = {
        {}, {"extract", "2", "1"}, {"extract", "9", "1", "2"}, {"--use-settings", "count", "2"}};
    for (const std::vector<std::string_view>& arguments : wrong) {
        const Outcome run = RunProgram(arguments);
        EXPECT_EQ(kExitWrongArguments, run.status);
        EXPECT_EQ(Messages{}, run.messages);
        EXPECT_EQ("", run.printed);
        EXPECT_EQ(0U, run.errors.find(std::string(kCliProgramName) + ": "));
        EXPECT_NE(std::string::npos, run.errors.find(CliUsage()));
    }
    const Outcome help = RunProgram({"--help"});
    EXPECT_EQ(kExitSuccess, help.status);
    EXPECT_EQ(CliHelp(), help.printed);
    EXPECT_EQ("", help.errors);
    EXPECT_EQ(before, FolderContents());
    EXPECT_EQ("", StandinTrace());
}

}  // namespace
