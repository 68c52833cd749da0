// The console program's run, apart from the process it runs in.
#include "cli/program.h"

#include <cstdint>
#include <string>

#include "cli/arguments.h"
#include "extract/extraction_texts.h"
#include "extract/operation_outcome.h"
#include "extract/record_count.h"
#include "platform/notifier.h"
#include "shell/extraction_command.h"
#include "shell/settings.h"

namespace {

// The words of the summary line, "TARVEK4_EXT_DAT.TXT: 3 lines written, 3 records read".
constexpr const char* kCliLine = "line";
constexpr const char* kCliLines = "lines";
constexpr const char* kCliRecord = "record";
constexpr const char* kCliRecords = "records";
constexpr const char* kCliWritten = "written";
constexpr const char* kCliRead = "read";

// "1 record" or "12 records".
std::string Counted(std::int64_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

// The summary of a finished run: the output file, the lines written to it,
// and the records (or, for the backup copy, lines) read.
std::string SummaryLine(const OperationOutcome& outcome)
{
    const bool lines = outcome.readUnit == ReadUnit::kLines;
    return std::string(outcome.outputName) + ": " +
           Counted(outcome.linesWritten, kCliLine, kCliLines) + " " + kCliWritten + ", " +
           Counted(outcome.itemsRead, lines ? kCliLine : kCliRecord,
                   lines ? kCliLines : kCliRecords) +
           " " + kCliRead + "\n";
}

int Mode(const CliCommand& command)
{
    return command.useSettings ? ReadSettings() : command.mode;
}

int RunCount(const CliCommand& command, ConsoleOutput& console, Notifier& messages)
{
    const int count = GetRecordCount(Mode(command), messages);
    console.Print(std::to_string(count) + "\n");
    return count == -1 ? kExitFailure : kExitSuccess;
}

// The Extraction button's steps once it has the two numbers: the range
// check, then the mode, then the operation, and its summary once it has
// finished.
int RunExtract(const CliCommand& command, ConsoleOutput& console, Notifier& messages)
{
    if (!IsValidRecordRange(command.start, command.end)) {
        messages.Show(kMsgInvalidRecordNumbers);
        return kExitFailure;
    }
    const int mode = Mode(command);
    const OperationOutcome outcome = RunModeExtraction(mode, command.start, command.end, messages);
    if (Finished(outcome)) {
        console.Print(SummaryLine(outcome));
    }
    return outcome.status == OutcomeStatus::kFinished ? kExitSuccess : kExitFailure;
}

}  // namespace

int RunConsoleProgram(const std::vector<std::string_view>& arguments, ConsoleOutput& console,
                      Notifier& messages)
{
    const CliArguments parsed = ParseCliArguments(arguments);
    if (!parsed.error.empty()) {
        console.PrintError(std::string(kCliProgramName) + ": " + parsed.error + "\n" + CliUsage() +
                           "Run " + kCliProgramName + " --help for more.\n");
        return kExitWrongArguments;
    }
    switch (parsed.command.action) {
        case CliAction::kHelp:
            console.Print(CliHelp());
            return kExitSuccess;
        case CliAction::kCount:
            return RunCount(parsed.command, console, messages);
        case CliAction::kExtract:
            return RunExtract(parsed.command, console, messages);
    }
    return kExitWrongArguments;
}
