// tarvek_dconv_cli: the Extraction of the dialog program as a console
// command, for batch files and scheduled jobs.
#include <string>
#include <string_view>
#include <vector>

#include "cli/console.h"
#include "cli/program.h"

int main(int argc, char** argv)
{
    PrepareUnattendedRun();
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    StandardConsole console;
    return RunConsoleProgram(views, console, console);
}
