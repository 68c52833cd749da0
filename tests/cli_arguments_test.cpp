// The console program's command line: every form, the mode as a number and
// as a word, record numbers, options, and what makes the arguments wrong.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "extract/extraction_modes.h"

namespace {

using Arguments = std::vector<std::string_view>;

CliCommand Count(int mode)
{
    return {.action = CliAction::kCount, .mode = mode};
}

CliCommand Extract(int mode, int start, int end)
{
    return {.action = CliAction::kExtract, .mode = mode, .start = start, .end = end};
}

CliCommand FromSettings(CliCommand command)
{
    command.useSettings = true;
    command.mode = 0;
    return command;
}

const CliCommand kHelp{.action = CliAction::kHelp};

struct RightRow {
    Arguments arguments;
    CliCommand command;
};

const RightRow kRightRows[] = {
    {{"count", "0"}, Count(0)},
    {{"count", "5"}, Count(5)},
    {{"count", "backup"}, Count(0)},
    {{"count", "ver4"}, Count(1)},
    {{"count", "ver5"}, Count(2)},
    {{"count", "jcc"}, Count(3)},
    {{"count", "jcg"}, Count(4)},
    {{"count", "town"}, Count(5)},
    {{"count", "JCC"}, Count(3)},
    {{"count", "Town"}, Count(5)},
    {{"extract", "1", "1", "320"}, Extract(1, 1, 320)},
    {{"extract", "jcg", "7", "7"}, Extract(4, 7, 7)},
    // The range check is the operation's, not the parser's.
    {{"extract", "2", "5", "3"}, Extract(2, 5, 3)},
    {{"extract", "2", "0", "0"}, Extract(2, 0, 0)},
    {{"extract", "ver5", "-2", "10"}, Extract(2, -2, 10)},
    {{"extract", "0", "-2147483648", "2147483647"}, Extract(0, -2147483648, 2147483647)},
    {{"extract", "3", "0012", "1000000"}, Extract(3, 12, 1000000)},
    {{"--use-settings", "count"}, FromSettings(Count(0))},
    {{"count", "--use-settings"}, FromSettings(Count(0))},
    {{"--use-settings", "extract", "1", "9"}, FromSettings(Extract(0, 1, 9))},
    {{"extract", "--use-settings", "-1", "9"}, FromSettings(Extract(0, -1, 9))},
    {{"--use-settings", "--use-settings", "count"}, FromSettings(Count(0))},
    {{"--help"}, kHelp},
    {{"-h"}, kHelp},
    {{"/?"}, kHelp},
    {{"-?"}, kHelp},
    {{"count", "jcc", "/?"}, kHelp},
    {{"-?", "extract", "2"}, kHelp},
    {{"extract", "2", "--help"}, kHelp},
    {{"--bogus", "--help"}, kHelp},
};

TEST(CliArgumentsTest, RightArguments)
{
    for (const RightRow& row : kRightRows) {
        const CliArguments parsed = ParseCliArguments(row.arguments);
        EXPECT_EQ("", parsed.error) << row.arguments.size() << " arguments, " << row.arguments[0];
        EXPECT_TRUE(row.command == parsed.command) << row.arguments[0];
    }
}

struct WrongRow {
    Arguments arguments;
    std::string_view named;  // the argument that the reason names, if any
};

const WrongRow kWrongRows[] = {
    {{}, ""},
    {{"--use-settings"}, ""},
    {{"run", "2"}, "run"},
    {{"Count", "2"}, "Count"},
    {{"count"}, ""},
    {{"count", "2", "3"}, ""},
    {{"count", "6"}, "6"},
    {{"count", "-1"}, "-1"},
    {{"count", "ver6"}, "ver6"},
    {{"count", "2x"}, "2x"},
    {{"count", ""}, ""},
    {{"extract", "2", "1"}, ""},
    {{"extract", "2", "1", "2", "3"}, ""},
    {{"extract", "jcx", "1", "2"}, "jcx"},
    {{"extract", "2", "abc", "2"}, "abc"},
    {{"extract", "2", "1", "12abc"}, "12abc"},
    {{"extract", "2", "+1", "2"}, "+1"},
    {{"extract", "2", " 1", "2"}, " 1"},
    {{"extract", "2", "1", "2147483648"}, "2147483648"},
    {{"extract", "2", "-2147483649", "1"}, "-2147483649"},
    {{"extract", "2", "1", "１"}, "１"},
    {{"--use-settings", "extract", "2", "1", "3"}, ""},
    {{"--use-settings", "count", "2"}, ""},
    {{"--settings", "count", "2"}, "--settings"},
    {{"count", "2", "-x"}, "-x"},
    {{"count", "2", "-"}, "-"},
    {{"/h"}, "/h"},
    {{"?"}, "?"},
    {{"count", "2", "/?x"}, ""},
    {{"-??", "count", "2"}, "-??"},
};

TEST(CliArgumentsTest, WrongArgumentsAreNamed)
{
    for (const WrongRow& row : kWrongRows) {
        const CliArguments parsed = ParseCliArguments(row.arguments);
        EXPECT_NE("", parsed.error) << row.arguments.size() << " arguments";
        EXPECT_NE(std::string::npos, parsed.error.find(row.named)) << parsed.error;
    }
}

// The help names every mode with its number, word and output file.
TEST(CliArgumentsTest, HelpListsEveryMode)
{
    const std::string help = CliHelp();
    for (const ExtractionMode& mode : kExtractionModes) {
        const std::string line = "  " + std::to_string(mode.number) + "  " + mode.word;
        const std::size_t at = help.find(line);
        ASSERT_NE(std::string::npos, at) << line;
        const std::string rest = help.substr(at, help.find('\n', at) - at);
        EXPECT_NE(std::string::npos, rest.find(mode.outputName)) << rest;
    }
    EXPECT_NE(std::string::npos, help.find(CliUsage()));
}

}  // namespace
