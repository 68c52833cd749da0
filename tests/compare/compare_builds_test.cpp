// The comparison of the builds: the same Extractions run three ways, the
// native console program (started from here through Wine), the Windows
// console program and the Windows dialog, driven through its real controls.
// Every mode, 0 to 5, on the demo log and on a synthetic log, each with one
// BAK0001.TXT: every output file is compared byte for byte, and so are the
// messages, the exit statuses of the two console programs, their record
// counts, and what they print for help and for wrong arguments. Runs only
// under Wine, which starts the native programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "loglib/extraction_modes.h"
#include "platform/wide_text.h"
#include "res/resource.h"
#include "tests/e2e/dialog_driver.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// The paths that the build gives, as the host names them.
constexpr const char* kNativeBuild = TARVEK_NATIVE_BUILD_DIR;
constexpr const char* kRepository = TARVEK_SOURCE_DIR;

// A native program started through Wine runs on its own, without a process
// handle: its run script leaves its exit status in this file when it ends.
constexpr const char* kNativeStatusFile = "native.status";
constexpr DWORD kNativeRunTimeoutMs = 120000;
constexpr DWORD kNativeRunPollMs = 10;
constexpr DWORD kWindowsRunTimeoutMs = 120000;

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

// The 3000-record synthetic log, from seed 7.
constexpr const char* kSynthRecords = "3000";
constexpr const char* kSynthSeed = "7";

// Mode 0 counts lines of BAK0001.TXT: this end takes the whole file.
constexpr int kWholeBackup = 999999;
constexpr int kPartStart = 17;
constexpr int kPartEnd = 61;
constexpr int kLeastRecords = 20;

enum class Log { kDemo, kSynth };

// The record ranges: 1 to the last record; a part in the middle; and from
// just before to beyond the last record (the read error, then the finished
// message).
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

// What one console program's run left: its streams and exit status.
struct ProgramRun {
    std::string out;
    std::string err;
    int status = -1;
};

// Wine's own conversions between host and Windows file names.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);
using DosFileNameFunction = wchar_t*(CDECL*)(const char*);

// As a function pointer without a type, to be cast to the function's own.
using AnyFunction = void (*)();

AnyFunction WineFunction(const char* name)
{
    return reinterpret_cast<AnyFunction>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name));
}

std::string HostPath(const fs::path& path)
{
    const auto convert =
        reinterpret_cast<UnixFileNameFunction>(WineFunction("wine_get_unix_file_name"));
    if (convert == nullptr) {
        return {};
    }
    char* converted = convert(fs::absolute(path).wstring().c_str());
    std::string result = converted != nullptr ? converted : "";
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

fs::path WindowsPath(const std::string& hostPath)
{
    const auto convert =
        reinterpret_cast<DosFileNameFunction>(WineFunction("wine_get_dos_file_name"));
    if (convert == nullptr) {
        return {};
    }
    wchar_t* converted = convert(hostPath.c_str());
    fs::path result = converted != nullptr ? fs::path(converted) : fs::path();
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

fs::path NativeBuild()
{
    return WindowsPath(kNativeBuild);
}

fs::path WindowsBuild()
{
    return fs::path(TestExecutableFolder()).parent_path().parent_path();
}

// A word for a POSIX shell: quoted, quotes in it escaped.
std::string ShellWord(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
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
                                        ShellWord(kRepository) + "\n" + commands + "\n" +
                                        "echo $? >native.status.part\n"
                                        "mv native.status.part " +
                                        kNativeStatusFile + "\n");
    std::wstring shell = WindowsPath("/bin/sh").wstring();
    std::wstring commandLine = L"sh native_run.sh";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD waited = 0; waited < kNativeRunTimeoutMs; waited += kNativeRunPollMs) {
        if (FileExists(kNativeStatusFile)) {
            return true;
        }
        Sleep(kNativeRunPollMs);
    }
    return false;
}

// The native console program in folder, its streams and status beside it.
ProgramRun RunNativeProgram(const std::string& folder, const std::vector<std::string>& arguments)
{
    std::string command = "(cd " + ShellWord(folder) + " && " +
                          ShellWord(HostPath(NativeBuild() / "tarvek_dconv_cli"));
    // Appended piece by piece: " " + a string trips a false -Wrestrict
    // warning of GCC 12.
    for (const std::string& argument : arguments) {
        command += ' ';
        command += ShellWord(argument);
    }
    command += " >../" + folder + ".out 2>../" + folder + ".err </dev/null)";
    ProgramRun run;
    if (!RunOnHost(command)) {
        ADD_FAILURE() << "the native console program did not end: " << command;
        return run;
    }
    run.out = ReadFileBytes(folder + ".out");
    run.err = ReadFileBytes(folder + ".err");
    run.status = std::stoi(ReadFileBytes(kNativeStatusFile));
    return run;
}

HANDLE InheritableFile(const fs::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A command line word as Wine writes one from a host's argument: quoted
// only when it holds a space or is empty.
std::wstring CommandLineWord(const std::string& word)
{
    const std::wstring wide = WideFromUtf8(word);
    return word.empty() || word.find(' ') != std::string::npos ? L"\"" + wide + L"\"" : wide;
}

// The Windows console program in folder, its streams and status beside it.
ProgramRun RunWindowsProgram(const std::string& folder, const std::vector<std::string>& arguments)
{
    const fs::path program = WindowsBuild() / "tarvek_dconv_cli.exe";
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" " + CommandLineWord(argument);
    }
    const fs::path out = fs::absolute(folder + ".out");
    const fs::path err = fs::absolute(folder + ".err");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const std::wstring directory = fs::absolute(folder).wstring();
    const BOOL started =
        CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, directory.c_str(), &startup, &process);
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    ProgramRun run;
    if (!started) {
        ADD_FAILURE() << "the Windows console program did not start";
        return run;
    }
    if (WaitForSingleObject(process.hProcess, kWindowsRunTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        ADD_FAILURE() << "the Windows console program did not end";
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = ReadFileBytes(out.string());
    run.err = ReadFileBytes(err.string());
    run.status = static_cast<int>(status);
    return run;
}

// The sources of a log in sources/ of the working directory: its databases
// and a BAK0001.TXT.
bool WriteSources(Log log)
{
    const std::string tool = ShellWord(HostPath(NativeBuild() / "standin" / "tarvek_dbtool"));
    const std::string databases =
        log == Log::kDemo
            ? tool + " build \"$repository/standin/demo/demo_log.txt\" sources >/dev/null"
            : tool + " synth " + kSynthRecords + " sources " + kSynthSeed + " >/dev/null";
    return RunOnHost("mkdir -p sources && " + databases + " && export LC_ALL=C &&\n" +
                     kWriteBackupCommands);
}

// A folder holding the sources and the stand-in library of one build.
void Prepare(const std::string& folder, const fs::path& build)
{
    fs::create_directory(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator("sources")) {
        fs::copy_file(entry.path(), fs::path(folder) / entry.path().filename());
    }
    fs::copy_file(build / "standin" / "default" / "TARVEK50.DLL", folder + "/TARVEK50.DLL");
}

std::set<std::string> FileNames(const std::string& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::set<std::string> AddedFiles(const std::set<std::string>& before, const std::string& folder)
{
    std::set<std::string> added;
    for (const std::string& name : FileNames(folder)) {
        if (before.count(name) == 0) {
            added.insert(name);
        }
    }
    return added;
}

// The dialog takes its mode from the settings file; its mode button writes
// the same, and mode 0 has no button.
void WriteDialogSettings(const std::string& folder, int mode)
{
    WriteFileBytes(folder + "/tarvek_dconv.ini", "flag=" + std::to_string(mode) + "\r");
}

// The messages that the dialog shows for one Extraction, one a line.
std::optional<std::string> RunDialog(const std::string& folder, int mode, int start, int end)
{
    DialogDriver dialog((WindowsBuild() / "tarvek_dconv.exe").wstring(),
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
    Prepare("count", NativeBuild());
    const ProgramRun run = RunNativeProgram("count", {"count", std::to_string(kModeVersion5)});
    return run.status == 0 ? std::stoi(run.out) : -1;
}

class CompareBuilds : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(HostPath(".").empty()) << "runs only under Wine";
        for (const fs::path& needed :
             {NativeBuild() / "tarvek_dconv_cli", NativeBuild() / "standin" / "tarvek_dbtool",
              NativeBuild() / "standin" / "default" / "TARVEK50.DLL"}) {
            ASSERT_TRUE(fs::exists(needed))
                << needed.string() << " is missing: build the native preset first";
        }
        for (const fs::path& needed :
             {WindowsBuild() / "tarvek_dconv_cli.exe", WindowsBuild() / "tarvek_dconv.exe",
              WindowsBuild() / "standin" / "default" / "TARVEK50.DLL"}) {
            ASSERT_TRUE(fs::exists(needed)) << needed.string() << " is missing";
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
    Prepare("native", NativeBuild());
    Prepare("wincli", WindowsBuild());
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
    Prepare("native", NativeBuild());
    Prepare("wincli", WindowsBuild());
    Prepare("dialog", WindowsBuild());
    WriteDialogSettings("dialog", row.mode);
    const std::set<std::string> nativeBefore = FileNames("native");
    const std::set<std::string> windowsBefore = FileNames("wincli");
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
