// The console boundary on POSIX: the arguments are taken as they come, and
// the UTF-8 texts go to the streams byte for byte.
#include <cstdio>

#include "cli/console.h"

namespace {

void WriteBytes(std::FILE* stream, std::string_view text)
{
    // A closed or full stream has no one to tell: the exit status still says it.
    (void)std::fwrite(text.data(), 1, text.size(), stream);
    (void)std::fflush(stream);
}

}  // namespace

void StandardConsole::Print(std::string_view text)
{
    WriteBytes(stdout, text);
}

void StandardConsole::PrintError(std::string_view text)
{
    WriteBytes(stderr, text);
}

void PrepareUnattendedRun() {}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return {argv + 1, argv + argc};
}
