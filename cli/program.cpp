// The console program's run, apart from the process it runs in.
#include "cli/program.h"

#include <cstddef>
#include <string>

#include "cli/arguments.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "shell/dialog_texts.h"
#include "shell/extraction_command.h"
#include "shell/settings.h"

namespace {

// Passes every message on and tells whether the operation finished: its one
// message was the finished one. Every failure path of the operations shows a
// message of its own, and a failed read shows it before the finished one.
class OutcomeNotifier final : public Notifier {
public:
    explicit OutcomeNotifier(Notifier& inner) : m_inner(inner) {}

    void Show(std::string_view text) override
    {
        m_finished = m_shown == 0 && text == kMsgFinished;
        ++m_shown;
        m_inner.Show(text);
    }

    bool Finished() const { return m_finished; }

private:
    Notifier& m_inner;
    std::size_t m_shown = 0;
    bool m_finished = false;
};

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
// check, then the mode, then the operation.
int RunExtract(const CliCommand& command, Notifier& messages)
{
    if (!IsValidRecordRange(command.start, command.end)) {
        messages.Show(kMsgInvalidRecordNumbers);
        return kExitFailure;
    }
    const int mode = Mode(command);
    OutcomeNotifier outcome(messages);
    RunModeExtraction(mode, command.start, command.end, outcome);
    return outcome.Finished() ? kExitSuccess : kExitFailure;
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
            return RunExtract(parsed.command, messages);
    }
    return kExitWrongArguments;
}
