// The same Extractions, in every mode on the demo and a synthetic log, run by
// the native console program (started through Wine), the Windows console
// program and the Windows dialog: their files, messages, exit statuses,
// record counts, help and answers to wrong arguments compared. Runs only
// under Wine, which starts the native programs.
#include <windows.h>

#include <gtest/gtest.h>
#include <process.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "extract/extraction_modes.h"
#include "platform/wide_text.h"
#include "res/resource.h"
#include "tests/e2e/dialog_driver.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// A native program started through Wine runs on its own, without a process
// handle: its run script leaves its exit status in this file when it ends.
constexpr const char* kNativeStatusFile = "native.status";
constexpr DWORD kRunTimeoutMs = 120000;

// A backup file with what the line counting has to get right: code page 932
// text with CR LF, a line longer than 200 characters, one of exactly 200, a
// bare CR, a bare LF, and a 0x1A that ends the input.
constexpr const char* kWriteBackupCommands =
    "{ head -n 60 \"$repository/standin/demo/demo_log.txt\" | iconv -f UTF-8 -t CP932 |"
    " sed 's/$/\\r/'\n"
    "  printf '%0250d\\r\\n' 0 | tr 0 A\n"
    "  printf '%0200d\\n' 0 | tr 0 B\n"
    "  printf 'bare\\rcarriage return\\r\\n'\n"
    "  printf 'line feed alone\\n'\n"
    "  printf 'the last line\\r\\n\\032after the end\\r\\n'\n"
    "} >sources/BAK0001.TXT\n";

// Mode 0 counts lines of BAK0001.TXT: this end takes the whole file.
constexpr int kWholeBackup = 999999;
constexpr int kPartStart = 17;
constexpr int kPartEnd = 61;
constexpr int kLeastRecords = 20;

// The demo log, or the 3000-record synthetic log from seed 7.
enum class Log { kDemo, kSynth };

// 1 to the last record; a part in the middle; and from just before to
// beyond the last record (the read error, then the finished message).
enum class Range { kAll, kPart, kBeyond };

struct ExtractionRow {
    std::string name;
    Log log;
    int mode;
    Range range;
};

struct CommandRow {
    std::string name;
    Log log;
    std::vector<std::string> arguments;
    std::optional<int> expectedStatus;
};

// The rows print as their names, in the reports and in the test names.
void PrintTo(const CommandRow& row, std::ostream* out)
{
    *out << row.name;
}

void PrintTo(const ExtractionRow& row, std::ostream* out)
{
    *out << row.name;
}

std::vector<ExtractionRow> ExtractionRows()
{
    std::vector<ExtractionRow> rows;
    for (const ExtractionMode& mode : kExtractionModes) {
        const std::string number = std::to_string(mode.number);
        rows.push_back({"demo_" + number + "_all", Log::kDemo, mode.number, Range::kAll});
        rows.push_back({"demo_" + number + "_part", Log::kDemo, mode.number, Range::kPart});
        rows.push_back({"demo_" + number + "_beyond", Log::kDemo, mode.number, Range::kBeyond});
        rows.push_back({"synth_" + number + "_all", Log::kSynth, mode.number, Range::kAll});
    }
    return rows;
}

// Help and wrong arguments, a non-ASCII one among them; every mode's count.
std::vector<CommandRow> CommandRows()
{
    std::vector<CommandRow> rows = {
        {"help", Log::kDemo, {"--help"}, 0},
        {"help_slash_question", Log::kDemo, {"/?"}, 0},
        {"help_dash_question", Log::kDemo, {"-?"}, 0},
        {"no_command", Log::kDemo, {}, 2},
        {"unknown_mode", Log::kDemo, {"extract", "jcx", "1", "2"}, 2},
        {"full_width_number", Log::kDemo, {"extract", "jcc", "１", "2"}, 2}};
    for (const ExtractionMode& mode : kExtractionModes) {
        const std::string number = std::to_string(mode.number);
        rows.push_back({"demo_count_" + number, Log::kDemo, {"count", number}, {}});
        rows.push_back({"synth_count_" + number, Log::kSynth, {"count", number}, {}});
    }
    return rows;
}

// Wine's name for a host's file; empty outside Wine.
fs::path WindowsPath(const std::string& hostPath)
{
    using DosFileNameFunction = wchar_t*(CDECL*)(const char*);
    // Cast through a function pointer without a type, as GCC asks.
    const auto convert = reinterpret_cast<DosFileNameFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    wchar_t* converted = convert != nullptr ? convert(hostPath.c_str()) : nullptr;
    fs::path result = converted != nullptr ? fs::path(converted) : fs::path();
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

const fs::path kNativeBuild = WindowsPath(TARVEK_NATIVE_BUILD_DIR);
const fs::path kWindowsBuild = fs::path(TestExecutableFolder()).parent_path().parent_path();

// A word for a POSIX shell: quoted, quotes in it escaped.
std::string ShellWord(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// A command line word as Wine writes one from a host's argument: quoted
// only when it holds a space or is empty.
std::wstring CommandLineWord(const std::string& word)
{
    const std::wstring wide = WideFromUtf8(word);
    return word.empty() || word.find(' ') != std::string::npos ? L"\"" + wide + L"\"" : wide;
}

std::string WithoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

// Runs commands with the host's shell in the working directory and waits
// until they have ended; false when they do not within the time out.
bool RunOnHost(const std::string& commands)
{
    fs::remove(kNativeStatusFile);
    WriteFileBytes("native_run.sh", "export PATH=/usr/bin:/bin\nrepository=" +
                                        ShellWord(TARVEK_SOURCE_DIR) + "\n" + commands +
                                        "\necho $? >native.status.part\n"
                                        "mv native.status.part " +
                                        kNativeStatusFile + "\n");
    const auto shell =
        _wspawnl(_P_NOWAIT, WindowsPath("/bin/sh").c_str(), L"sh", L"native_run.sh", nullptr);
    if (shell == -1) {
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(shell));
    WaitUntil([] { return FileExists(kNativeStatusFile); }, kRunTimeoutMs);
    return FileExists(kNativeStatusFile);
}

// What a console program run in folder left: the streams that it wrote
// beside the folder, and its exit status.
struct ProgramRun {
    std::string out;
    std::string err;
    int status = -1;
};

ProgramRun RunLeft(const std::string& folder, int status)
{
    return {ReadFileBytes(folder + ".out"), ReadFileBytes(folder + ".err"), status};
}

ProgramRun RunNativeProgram(const std::string& folder, const std::vector<std::string>& arguments)
{
    std::string command = "(cd " + ShellWord(folder) + " && " +
                          ShellWord(TARVEK_NATIVE_BUILD_DIR "/tarvek_dconv_cli");
    for (const std::string& argument : arguments) {
        command.append(" ").append(ShellWord(argument));
    }
    command += " >../" + folder + ".out 2>../" + folder + ".err </dev/null)";
    if (!RunOnHost(command)) {
        ADD_FAILURE() << "the native console program did not end: " << command;
        return {};
    }
    return RunLeft(folder, std::stoi(ReadFileBytes(kNativeStatusFile)));
}

HANDLE InheritableFile(const fs::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

ProgramRun RunWindowsProgram(const std::string& folder, const std::vector<std::string>& arguments)
{
    const fs::path program = kWindowsBuild / "tarvek_dconv_cli.exe";
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" " + CommandLineWord(argument);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile(folder + ".out", GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile(folder + ".err", GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, fs::absolute(folder).wstring().c_str(), &startup, &process);
    for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        CloseHandle(handle);
    }
    if (!started) {
        ADD_FAILURE() << "the Windows console program did not start";
        return {};
    }
    if (WaitForSingleObject(process.hProcess, kRunTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        ADD_FAILURE() << "the Windows console program did not end";
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return RunLeft(folder, static_cast<int>(status));
}

// The databases of a log and a BAK0001.TXT, in sources/.
bool WriteSources(Log log)
{
    const std::string tool = ShellWord(TARVEK_NATIVE_BUILD_DIR "/standin/tarvek_dbtool");
    const std::string databases =
        log == Log::kDemo ? tool + " build \"$repository/standin/demo/demo_log.txt\" sources"
                          : tool + " synth 3000 sources 7";
    return RunOnHost("mkdir -p sources && " + databases + " >/dev/null && export LC_ALL=C &&\n" +
                     kWriteBackupCommands);
}

std::set<std::string> FileNames(const std::string& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A folder holding the sources and the stand-in library of one build; the
// names in it.
std::set<std::string> Prepare(const std::string& folder, const fs::path& build)
{
    fs::copy("sources", folder);
    fs::copy_file(build / "standin" / "default" / "TARVEK50.DLL", folder + "/TARVEK50.DLL");
    return FileNames(folder);
}

std::set<std::string> AddedFiles(const std::set<std::string>& before, const std::string& folder)
{
    std::set<std::string> added = FileNames(folder);
    std::erase_if(added, [&before](const std::string& name) { return before.contains(name); });
    return added;
}

// The messages that the dialog shows for one Extraction, one a line.
std::optional<std::string> RunDialog(const std::string& folder, int mode, int start, int end)
{
    DialogDriver dialog((kWindowsBuild / "tarvek_dconv.exe").wstring(),
                        fs::absolute(folder).wstring());
    if (!dialog.IsRunning()) {
        ADD_FAILURE() << "the dialog did not come up";
        return std::nullopt;
    }
    // The buttons are the controls from IDC_MODE_VER4 on, in the order of
    // the table's button ordinals.
    if (const int button = kExtractionModes[mode].button; button != kNoModeButton) {
        dialog.Click(IDC_MODE_VER4 + button);
    }
    dialog.SetText(IDC_START, std::to_string(start));
    dialog.SetText(IDC_END, std::to_string(end));
    std::string messages;
    for (const SeenMessage& message : dialog.Click(IDOK)) {
        messages += message.text + "\n";
    }
    if (!dialog.PressKeyToExit(IDOK, VK_ESCAPE)) {
        ADD_FAILURE() << "the program did not end";
        return std::nullopt;
    }
    return messages;
}

// The record count of the log's version-5 database, as the native console
// program reports it.
int RecordCount()
{
    Prepare("count", kNativeBuild);
    const ProgramRun run = RunNativeProgram("count", {"count", std::to_string(kModeVersion5)});
    return run.status == 0 ? std::stoi(run.out) : -1;
}

class CompareBuilds : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(kNativeBuild.empty()) << "runs only under Wine";
        for (const fs::path& needed :
             {kNativeBuild / "tarvek_dconv_cli", kNativeBuild / "standin" / "tarvek_dbtool",
              kNativeBuild / "standin" / "default" / "TARVEK50.DLL",
              kWindowsBuild / "tarvek_dconv_cli.exe", kWindowsBuild / "tarvek_dconv.exe",
              kWindowsBuild / "standin" / "default" / "TARVEK50.DLL"}) {
            ASSERT_TRUE(fs::exists(needed))
                << needed.string() << " is missing: build the native and the Windows presets";
        }
    }

    ScratchFolder m_folder;
};

class CompareCommand : public CompareBuilds, public testing::WithParamInterface<CommandRow> {};

class CompareExtraction : public CompareBuilds,
                          public testing::WithParamInterface<ExtractionRow> {};

// What both console programs print, on each stream, and their exit statuses.
TEST_P(CompareCommand, BothConsoleProgramsAnswerAlike)
{
    const CommandRow& row = GetParam();
    ASSERT_TRUE(WriteSources(row.log));
    Prepare("native", kNativeBuild);
    Prepare("wincli", kWindowsBuild);
    const ProgramRun native = RunNativeProgram("native", row.arguments);
    const ProgramRun windows = RunWindowsProgram("wincli", row.arguments);
    EXPECT_EQ(WithoutCarriageReturns(native.out), WithoutCarriageReturns(windows.out));
    EXPECT_EQ(WithoutCarriageReturns(native.err), WithoutCarriageReturns(windows.err));
    EXPECT_EQ(native.status, windows.status);
    if (row.expectedStatus) {
        EXPECT_EQ(native.status, *row.expectedStatus);
    }
}

// One Extraction three ways: the same one file added, of the same bytes,
// the same messages and the same exit status.
TEST_P(CompareExtraction, AllThreeWriteTheSameFile)
{
    const ExtractionRow& row = GetParam();
    ASSERT_TRUE(WriteSources(row.log));
    const int count = RecordCount();
    ASSERT_GT(count, kLeastRecords) << "too few records in the database";
    int start = 1;
    int end = row.mode == kModeBackupCopy ? kWholeBackup : count;
    if (row.range == Range::kPart) {
        start = kPartStart;
        end = kPartEnd;
    } else if (row.range == Range::kBeyond) {
        start = count - 2;
        end = count + 3;
    }
    const std::vector<std::string> arguments = {"extract", std::to_string(row.mode),
                                                std::to_string(start), std::to_string(end)};
    const std::set<std::string> nativeBefore = Prepare("native", kNativeBuild);
    const std::set<std::string> windowsBefore = Prepare("wincli", kWindowsBuild);
    Prepare("dialog", kWindowsBuild);
    // The dialog takes its mode from the settings file; its mode button
    // writes the same, and mode 0 has no button.
    WriteFileBytes("dialog/tarvek_dconv.ini", "flag=" + std::to_string(row.mode) + "\r");
    const std::set<std::string> dialogBefore = FileNames("dialog");
    const ProgramRun native = RunNativeProgram("native", arguments);
    const ProgramRun windows = RunWindowsProgram("wincli", arguments);
    const std::optional<std::string> dialogMessages = RunDialog("dialog", row.mode, start, end);
    ASSERT_TRUE(dialogMessages) << "the dialog run did not complete";

    const std::set<std::string> added = AddedFiles(nativeBefore, "native");
    ASSERT_EQ(added.size(), 1U) << "the native run added not one file";
    EXPECT_EQ(AddedFiles(windowsBefore, "wincli"), added);
    EXPECT_EQ(AddedFiles(dialogBefore, "dialog"), added);
    const std::string file = *added.begin();
    const std::string written = ReadFileBytes("native/" + file);
    EXPECT_EQ(ReadFileBytes("wincli/" + file), written) << file;
    EXPECT_EQ(ReadFileBytes("dialog/" + file), written) << file;
    EXPECT_EQ(WithoutCarriageReturns(windows.err), WithoutCarriageReturns(native.err));
    EXPECT_EQ(WithoutCarriageReturns(*dialogMessages), WithoutCarriageReturns(native.err));
    EXPECT_EQ(windows.status, native.status);
}

INSTANTIATE_TEST_SUITE_P(Commands, CompareCommand, testing::ValuesIn(CommandRows()),
                         testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(Extractions, CompareExtraction, testing::ValuesIn(ExtractionRows()),
                         testing::PrintToStringParamName());

}  // namespace
