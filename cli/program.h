// The console program: runs the operation of its command line with the
// dialog's range check and dispatch, and turns the outcome into an exit
// status. Portable code of the application shell.
#pragma once

#include <string_view>
#include <vector>

class Notifier;

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitWrongArguments = 2;

// Where the program's own texts go (UTF-8): what it prints, and what it
// says about wrong arguments.
class ConsoleOutput {
public:
    virtual ~ConsoleOutput() = default;

    // Standard output: the record count, the summary line, the usage text
    // asked for.
    virtual void Print(std::string_view text) = 0;

    // Standard error: why the arguments are wrong, then the usage text.
    virtual void PrintError(std::string_view text) = 0;
};

// Runs the arguments that follow the program name; the operations' messages,
// the dialog's message boxes, go to messages. An extraction or backup copy
// that finished prints its summary line: the output file, the lines written
// and the records (or lines) read. Returns the exit status: kExitSuccess for
// help, for a count other than -1 and for an operation that finished without
// a failed read; kExitFailure for a count of -1, for every other outcome and
// for a settings file mode that runs nothing; kExitWrongArguments with the
// usage text on the error stream.
int RunConsoleProgram(const std::vector<std::string_view>& arguments, ConsoleOutput& console,
                      Notifier& messages);
