// The console program's process boundary: its arguments as UTF-8, and its
// standard output and standard error. One POSIX and one Win32 file implement
// it; the rest of the program is portable.
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

// The arguments that follow the program name.
std::vector<std::string> ProgramArguments(int argc, char** argv);
