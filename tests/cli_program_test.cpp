// The console program's runs against the stand-in library: the exit status,
// the messages, what goes to each stream, the files each command leaves,
// and the settings file read only when asked for.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/program.h"
#include "extract/extraction_texts.h"
#include "extract/line_layout.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "shell/extraction_command.h"
#include "shell/settings.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

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

// What a folder lacks for a run.
enum class Missing { kNothing, kLibrary, kBackupInput };

struct StatusRow {
    std::vector<std::string_view> arguments;
    int status;
    Messages messages;
    std::string printed;
    std::string created;  // the one file the run leaves, if any
    std::size_t createdSize;
    Missing missing = Missing::kNothing;
};

const std::string kFinished = kMsgFinished;
const std::string kUnreadable = kMsgRecordNumberUnreadable;
const std::string kInvalid = kMsgInvalidRecordNumbers;
const std::string kNoLibrary = LogLibraryCannotOpenMessage();
const std::string kNoInput = BackupInputNotFoundMessage();

constexpr std::size_t kLine = kLineBytesOnDisk;

// A run that leaves its output of size bytes and prints the summary line of
// a finished extraction or backup copy.
StatusRow Written(std::vector<std::string_view> arguments, int status, Messages messages,
                  const char* output, const char* counts, std::size_t size)
{
    const std::string summary = std::string(output) + ": " + counts + "\n";
    return {std::move(arguments), status, std::move(messages), summary, output, size};
}

const StatusRow kStatusRows[] = {
    {{"count", "ver4"}, kExitSuccess, {}, "3\n", "", 0},
    {{"count", "1"}, kExitSuccess, {}, "3\n", "", 0},
    {{"count", "jcc"}, kExitSuccess, {}, "4\n", "", 0},
    {{"count", "backup"}, kExitFailure, {}, "-1\n", "", 0},
    {{"count", "5"}, kExitFailure, {kNoLibrary}, "-1\n", "", 0, Missing::kLibrary},
    {{"count", "0"}, kExitFailure, {kNoLibrary}, "-1\n", "", 0, Missing::kLibrary},
    Written({"extract", "ver4", "1", "3"}, kExitSuccess, {kFinished}, kVersion4OutputName,
            "3 lines written, 3 records read", 3 * kLine),
    Written({"extract", "2", "2", "4"}, kExitSuccess, {kFinished}, kVersion5OutputName,
            "3 lines written, 3 records read", 3 * kLine),
    // Records 2 to 4 fail the JCC test: a run that writes no line finishes.
    Written({"extract", "jcc", "2", "4"}, kExitSuccess, {kFinished}, kJccOutputName,
            "0 lines written, 3 records read", 0),
    Written({"extract", "jcc", "1", "4"}, kExitSuccess, {kFinished}, kJccOutputName,
            "1 line written, 4 records read", kLine),
    Written({"extract", "jcg", "1", "4"}, kExitSuccess, {kFinished}, kJcgOutputName,
            "3 lines written, 4 records read", 3 * kLine),
    Written({"extract", "TOWN", "1", "4"}, kExitSuccess, {kFinished}, kTownOutputName,
            "3 lines written, 4 records read", 3 * kLine),
    // The copy reads on to the end of the input, and stops after line end.
    Written({"extract", "backup", "2", "9"}, kExitSuccess, {kFinished}, kBackupOutputName,
            "2 lines written, 3 lines read", 12),
    Written({"extract", "backup", "1", "1"}, kExitSuccess, {kFinished}, kBackupOutputName,
            "1 line written, 1 line read", 6),
    Written({"extract", "ver5", "3", "5"}, kExitFailure, {kUnreadable, kFinished},
            kVersion5OutputName, "2 lines written, 2 records read", 2 * kLine),
    Written({"extract", "ver4", "-2", "1"}, kExitFailure, {kUnreadable, kFinished},
            kVersion4OutputName, "0 lines written, 0 records read", 0),
    {{"extract", "town", "3", "1"}, kExitFailure, {kInvalid}, "", "", 0},
    {{"extract", "town", "0", "1"}, kExitFailure, {kInvalid}, "", "", 0},
    {{"extract", "backup", "1", "0"}, kExitFailure, {kInvalid}, "", "", 0},
    {{"extract", "jcg", "1", "4"}, kExitFailure, {kNoLibrary}, "", "", 0, Missing::kLibrary},
    {{"extract", "backup", "1", "3"}, kExitFailure, {kNoInput}, "", "", 0, Missing::kBackupInput},
};

// Runs the row's arguments in the working directory and checks what the run
// gave back, and that the folder then holds `expected` and the row's file.
void RunAndCheck(const StatusRow& row, std::set<std::string> expected)
{
    if (!row.created.empty()) {
        expected.insert(row.created);
    }
    const Outcome run = RunProgram(row.arguments);
    EXPECT_EQ(row.status, run.status);
    EXPECT_EQ(row.messages, run.messages);
    EXPECT_EQ(row.printed, run.printed);
    EXPECT_EQ("", run.errors);
    EXPECT_EQ(expected, FolderContents());
    if (!row.created.empty()) {
        EXPECT_EQ(row.createdSize, ReadFileBytes(row.created).size());
    }
}

TEST(CliProgramTest, ExitStatusMessagesAndFiles)
{
    for (const StatusRow& row : kStatusRows) {
        SCOPED_TRACE(std::string(row.arguments[0]) + " " + std::string(row.arguments[1]));
        ScratchFolder scratch;
        LayOutEverySource();
        if (row.missing == Missing::kLibrary) {
            fs::remove(kLogLibraryFileName);
        }
        if (row.missing == Missing::kBackupInput) {
            fs::remove(kBackupInputName);
        }
        // The settings file is neither read nor written.
        RunAndCheck(row, FolderContents());
    }
}

// With --use-settings the mode comes from the settings file as in the
// dialog: a missing file is created with mode 2, a mode without a button
// runs nothing, and the range is checked before the file is read.
TEST(CliProgramTest, UseSettingsTakesTheModeFromTheFile)
{
    struct SettingsRow {
        const char* before;  // nullptr: no settings file
        StatusRow run;
    };
    const SettingsRow rows[] = {
        {nullptr, {{"--use-settings", "count"}, kExitSuccess, {}, "4\n", "", 0}},
        {"flag=1\r", {{"--use-settings", "count"}, kExitSuccess, {}, "3\n", "", 0}},
        {"flag=0\r", {{"--use-settings", "count"}, kExitFailure, {}, "-1\n", "", 0}},
        {nullptr, Written({"--use-settings", "extract", "1", "4"}, kExitSuccess, {kFinished},
                          kVersion5OutputName, "4 lines written, 4 records read", 4 * kLine)},
        {"flag=0\r", Written({"extract", "1", "2", "--use-settings"}, kExitSuccess, {kFinished},
                             kBackupOutputName, "2 lines written, 2 lines read", 12)},
        {"flag=4\r\n", Written({"--use-settings", "extract", "1", "4"}, kExitSuccess, {kFinished},
                               kJcgOutputName, "3 lines written, 4 records read", 3 * kLine)},
        {"flag=7\r", {{"--use-settings", "extract", "1", "4"}, kExitFailure, {}, "", "", 0}},
        {nullptr, {{"--use-settings", "extract", "4", "1"}, kExitFailure, {kInvalid}, "", "", 0}},
    };
    for (const SettingsRow& row : rows) {
        SCOPED_TRACE(row.before != nullptr ? row.before : "no settings file");
        ScratchFolder scratch;
        LayOutEverySource();
        if (row.before != nullptr) {
            WriteFileBytes(kSettingsFileName, row.before);
        }
        std::set<std::string> expected = FolderContents();
        // A missing file is created by reading it, which follows the range check.
        if (row.before == nullptr && row.run.messages != Messages{kInvalid}) {
            expected.insert(kSettingsFileName);
        }
        RunAndCheck(row.run, expected);
        if (FileExists(kSettingsFileName)) {
            EXPECT_EQ(row.before != nullptr ? row.before : std::string(kSettingsPrefix) + "2\r",
                      ReadFileBytes(kSettingsFileName));
        }
    }
}

// Wrong arguments: the reason and the usage on the error stream, nothing
// run, nothing loaded, no file touched. --help, and Windows' /? and -?,
// print the help alone.
TEST(CliProgramTest, WrongArgumentsAndHelp)
{
    ScratchFolder scratch;
    LayOutEverySource();
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
    for (const std::string_view option : {"--help", "/?", "-?"}) {
        const Outcome help = RunProgram({option});
        EXPECT_EQ(kExitSuccess, help.status) << option;
        EXPECT_EQ(CliHelp(), help.printed) << option;
        EXPECT_EQ("", help.errors) << option;
    }
    EXPECT_EQ(before, FolderContents());
    EXPECT_EQ("", StandinTrace());
}

}  // namespace
