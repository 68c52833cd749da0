// Parsing of the console program's arguments, and its usage text.
#include "cli/arguments.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <utility>

#include "extract/extraction_modes.h"
#include "shell/extraction_command.h"
#include "shell/settings.h"

namespace {

constexpr std::string_view kCountWord = "count";
constexpr std::string_view kExtractWord = "extract";
constexpr std::string_view kUseSettingsOption = "--use-settings";

// Windows' own console tools take /? for help, and many take -?.
bool IsHelpOption(std::string_view argument)
{
    return argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?";
}

// Anything that starts with '-' but a negative number.
bool IsOption(std::string_view argument)
{
    return argument.size() >= 1 && argument[0] == '-' &&
           !(argument.size() >= 2 && argument[1] >= '0' && argument[1] <= '9');
}

// The whole text as an int, or nothing.
std::optional<int> ParseWholeNumber(std::string_view text)
{
    int value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view word)
{
    if (text.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

std::optional<int> ParseMode(std::string_view text)
{
    const std::optional<int> number = ParseWholeNumber(text);
    for (const ExtractionMode& row : kExtractionModes) {
        if (number ? *number == row.number : EqualsIgnoringAsciiCase(text, row.word)) {
            return row.number;
        }
    }
    return std::nullopt;
}

CliArguments Wrong(std::string error)
{
    return {CliCommand{}, std::move(error)};
}

}  // namespace

CliArguments ParseCliArguments(const std::vector<std::string_view>& arguments)
{
    if (std::any_of(arguments.begin(), arguments.end(), IsHelpOption)) {
        return {CliCommand{.action = CliAction::kHelp}, {}};
    }
    CliCommand command;
    std::vector<std::string_view> words;
    for (const std::string_view argument : arguments) {
        if (argument == kUseSettingsOption) {
            command.useSettings = true;
        } else if (IsOption(argument)) {
            return Wrong("unknown option: " + std::string(argument));
        } else {
            words.push_back(argument);
        }
    }
    if (words.empty()) {
        return Wrong("no command given");
    }

    std::size_t numbers = 0;
    if (words[0] == kCountWord) {
        command.action = CliAction::kCount;
    } else if (words[0] == kExtractWord) {
        command.action = CliAction::kExtract;
        numbers = 2;
    } else {
        return Wrong("unknown command: " + std::string(words[0]));
    }
    const std::size_t modes = command.useSettings ? 0 : 1;
    if (words.size() != 1 + modes + numbers) {
        return Wrong("wrong number of arguments for " + std::string(words[0]));
    }
    if (modes == 1) {
        const std::optional<int> mode = ParseMode(words[1]);
        if (!mode) {
            return Wrong("unknown mode: " + std::string(words[1]));
        }
        command.mode = *mode;
    }
    if (numbers == 2) {
        const std::optional<int> start = ParseWholeNumber(words[1 + modes]);
        const std::optional<int> end = ParseWholeNumber(words[2 + modes]);
        if (!start || !end) {
            return Wrong("not a record number: " +
                         std::string(words[start ? 2 + modes : 1 + modes]));
        }
        command.start = *start;
        command.end = *end;
    }
    return {command, {}};
}

std::string CliUsage()
{
    const std::string program = kCliProgramName;
    std::string usage = "Usage:\n";
    for (const char* form :
         {" count MODE\n", " extract MODE START END\n", " --use-settings count\n",
          " --use-settings extract START END\n", " --help\n"}) {
        usage += "  " + program + form;
    }
    return usage;
}

std::string CliHelp()
{
    std::string help = std::string(kCliProgramName) + " " + TARVEK_DCONV_VERSION +
                       ": the Extraction of tarvek_dconv, without a window\n\n" + CliUsage();
    help +=
        "\n"
        "--help, -h, -? and /? print this help, wherever they stand, and run nothing.\n"
        "\n"
        "count prints the record count of the mode's database: -1 when the mode has\n"
        "none or it cannot be opened. extract writes records START to END (mode 0:\n"
        "lines) as the dialog's Extraction button does, after the same check: both\n"
        "non-zero, START not greater than END. Files are read and written in the\n"
        "current folder.\n"
        "\n"
        "A finished extract prints the output file, the lines written and the records\n"
        "read. In mode 0, START, END and both counts count lines alike: a line of 200\n"
        "characters (bytes) or more counts as one line for each 200, its line end\n"
        "counted as one.\n"
        "\n"
        "MODE, as a number or a word:\n";
    for (const ExtractionMode& row : kExtractionModes) {
        std::string word = row.word;
        word.resize(8, ' ');
        help += "  " + std::to_string(row.number) + "  " + word + SourceFileName(row.source) +
                " -> " + row.outputName + "\n";
    }
    help += "\n--use-settings takes the mode from the settings file ";
    help += kSettingsFileName;
    help +=
        ",\n"
        "as the dialog does. Without it the file is neither read nor written.\n"
        "\n"
        "Messages go to standard error. Exit status: 0 finished, 1 the operation\n"
        "reported a failure or ran nothing, 2 wrong arguments.\n";
    return help;
}
