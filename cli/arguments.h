// The console program's command line: the operation, the mode it runs and
// the range it runs on. Portable code of the application shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kCliProgramName = "tarvek_dconv_cli";

enum class CliAction { kHelp, kCount, kExtract };

struct CliCommand {
    CliAction action = CliAction::kHelp;
    // The mode comes from the settings file, as in the dialog, instead of
    // from the command line.
    bool useSettings = false;
    int mode = 0;
    int start = 0;
    int end = 0;

    bool operator==(const CliCommand&) const = default;
};

// The command, or why the arguments are wrong.
struct CliArguments {
    CliCommand command;
    std::string error;  // empty when the arguments are right
};

// Reads the arguments that follow the program name. MODE is 0 to 5 or its
// word (backup, ver4, ver5, jcc, jcg, town; letter case does not matter).
// Record numbers are whole decimal numbers that fit an int, a '-' sign
// included, so that a negative start reaches the range check as in the
// dialog. "--help", "-h", "-?" or "/?" anywhere asks for the usage text.
CliArguments ParseCliArguments(const std::vector<std::string_view>& arguments);

// The forms of the command line, one a line.
std::string CliUsage();

// What --help prints: the version, the forms, the modes and the exit statuses.
std::string CliHelp();
