// The console program's process boundary: its arguments as UTF-8, its
// standard output and standard error, and no system message box. One POSIX
// and one Win32 file implement it; the rest of the program is portable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/program.h"
#include "platform/notifier.h"

class StandardConsole final : public ConsoleOutput, public Notifier {
public:
    void Print(std::string_view text) override;
    void PrintError(std::string_view text) override;

    // Each message as one line on standard error.
    void Show(std::string_view text) override { PrintError(std::string(text) + "\n"); }
};

// Readies the process to run unattended. On Windows the loader then reports
// a damaged library or a drive without a disk as a failure, where it would
// otherwise open a message box that a batch job waits on; nothing to do
// elsewhere.
void PrepareUnattendedRun();

// The arguments that follow the program name.
std::vector<std::string> ProgramArguments(int argc, char** argv);
