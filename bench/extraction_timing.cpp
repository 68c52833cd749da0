// The end-to-end figures of bench/report, measured in one run on one machine:
// whole extractions through the stand-in library against their floor, the
// same extractions of the Win32 build under Wine, the console program as a
// whole process against the same extraction inside one process, the
// record-count probe, and the peak resident memory of one extraction; and the
// verdicts on the line-building benchmarks.
//
//   extraction_timing report STANDIN CLI WIN32_STANDIN WIN32_CLOCK|- LARGE_DB_DIR
//                            SMALL_DB_DIR SCRATCH_DIR [REPEAT]
//   extraction_timing extract KIND FOLDER   (one extraction, for the memory figure)
//   extraction_timing lines CSV             (the line-building medians of a
//                                            Google Benchmark CSV file)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "bench/extraction_kinds.h"
#include "extract/line_layout.h"
#include "extract/record_count.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// The targets that the report checks.
constexpr double kMaxRatioToFloor = 1.3;
// The Win32 build's own part (its seconds less its library's) against the
// native own part: the stand-in's reads under Wine are not the program's.
constexpr double kMaxWin32OwnToNativeOwn = 1.3;
// The console program as a whole process against the same extraction inside
// one: what is left is start-up, loading and the final flush.
constexpr double kMaxConsoleToInProcess = 1.15;
// The line-building benchmarks, medians of their real time in ns. A
// version-5 line with the mode step is held to the version-5 target too, and
// the step alone to no more than kMaxModeStepNs over the line.
constexpr double kMaxVersion4LineNs = 60;
constexpr double kMaxVersion5LineNs = 70;
constexpr double kMaxModeStepNs = 15;
constexpr double kMaxRecordCountMs = 2.0;
constexpr double kMaxPeakMiB = 32.0;
constexpr double kMaxPeakGrowthMiB = 1.0;

constexpr int kRecordCountCalls = 201;

// The kinds whose console program is timed as a whole process.
constexpr const char* kConsoleKinds[] = {"v4", "v5m2"};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int RecordCountOrFail(int mode)
{
    RecordingNotifier notifier;
    const int count = GetRecordCount(mode, notifier);
    if (count <= 0) {
        FailTiming("no record count for mode " + std::to_string(mode) + " in " +
                   fs::current_path().string());
    }
    return count;
}

// Runs a program and waits for it; returns what it wrote to its standard
// output. Any failure ends the report.
std::string Run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        FailTiming("no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        FailTiming("cannot start " + arguments[0]);
    }
    std::string output;
    char buffer[4096];
    for (ssize_t length; (length = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(length));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        FailTiming(arguments[0] + " failed");
    }
    return output;
}

// A scratch folder that holds the stand-in and links to the two databases.
void LayOut(const fs::path& folder, const fs::path& standin, const fs::path& databases)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(standin, folder / kLogLibraryFileName);
    for (const char* name : {kVersion4DatabaseName, kVersion5DatabaseName}) {
        fs::create_symlink(fs::absolute(databases / name), folder / name);
    }
}

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown processor";
}

const char* Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// Runs a program in folder and returns what it wrote to its standard output.
std::string RunIn(const fs::path& folder, const std::vector<std::string>& arguments)
{
    const fs::path back = fs::current_path();
    fs::current_path(folder);
    std::string output = Run(arguments);
    fs::current_path(back);
    return output;
}

// Makes file ready for a timed write, with everything else written out.
// Every timed write creates its file: a file rewritten in place has its old
// blocks freed first, and ext4, taking a file truncated to 0 bytes for one
// being rewritten, starts writing the new contents out when it is closed,
// which doubled the time of both the extraction and cp here and varied by
// half from run to run. That is the file system's work, not the program's.
void ReadyForTimedWrite(const fs::path& file)
{
    fs::remove(file);
    sync();
}

// The figures of one extraction kind, medians of the repeat runs. The two
// judged ratios are medians of each run's own ratio, taken of figures timed
// one right after the other: a slow spell of the machine then weighs on both
// sides of a ratio, where a ratio of medians may take them from different runs.
struct ExtractionFigures {
    double seconds = 0;       // native, in-process
    double library = 0;       // native, the library's reads alone
    double copy = 0;          // cp of the native output file
    double ratio = 0;         // seconds / (library + copy)
    double win32 = 0;         // Win32 under Wine, in-process; 0 when not measured
    double win32Library = 0;  // Win32 under Wine, the library's reads alone
    double ownRatio = 0;      // (win32 - win32Library) / (seconds - library)
};

// The Win32 own part over the native own part; an own part lost in the noise
// is no figure to judge.
double OwnRatio(double win32, double win32Library, double native, double nativeLibrary)
{
    const double win32Own = win32 - win32Library;
    const double nativeOwn = native - nativeLibrary;
    return win32Own > 0 && nativeOwn > 0 ? win32Own / nativeOwn
                                         : std::numeric_limits<double>::infinity();
}

// The runs of one kind, interleaved so that every side sees the same machine
// state; medians after one warm-up of each. Each timed write starts after a
// sync (ReadyForTimedWrite), so that none pays for the writeback of another,
// and creates its file. An empty win32Clock leaves the Win32 build out.
ExtractionFigures MeasureExtraction(const ExtractionKind& kind, int count, int repeat,
                                    const fs::path& win32Folder, const std::string& win32Clock)
{
    const std::string copyName = std::string("cp_of_") + kind.outputName;
    const std::vector<std::string> copyCommand = {"cp", kind.outputName, copyName};
    const std::vector<std::string> win32Command = {"wine", win32Clock, kind.name,
                                                   std::to_string(count)};
    const bool timeWin32 = !win32Clock.empty();
    Extract(kind, count);
    Run(copyCommand);
    ReadThroughLibrary(kind, count);
    if (timeWin32) {
        RunIn(win32Folder, win32Command);
    }
    std::vector<double> seconds;
    std::vector<double> copy;
    std::vector<double> library;
    std::vector<double> win32;
    std::vector<double> win32Library;
    std::vector<double> ratio;
    std::vector<double> ownRatio;
    for (int run = 0; run < repeat; ++run) {
        ReadyForTimedWrite(kind.outputName);
        Clock::time_point start = Clock::now();
        Extract(kind, count);
        seconds.push_back(SecondsSince(start));
        ReadyForTimedWrite(copyName);
        start = Clock::now();
        Run(copyCommand);
        copy.push_back(SecondsSince(start));
        start = Clock::now();
        ReadThroughLibrary(kind, count);
        library.push_back(SecondsSince(start));
        ratio.push_back(seconds.back() / (library.back() + copy.back()));
        if (!timeWin32) {
            continue;
        }
        ReadyForTimedWrite(win32Folder / kind.outputName);
        double extraction = 0;
        double reads = 0;
        if (std::sscanf(RunIn(win32Folder, win32Command).c_str(), "%lf %lf", &extraction, &reads) !=
            2) {
            FailTiming("no figures from the Win32 clock program");
        }
        win32.push_back(extraction);
        win32Library.push_back(reads);
        ownRatio.push_back(OwnRatio(extraction, reads, seconds.back(), library.back()));
    }
    fs::remove(copyName);
    ExtractionFigures figures;
    figures.seconds = Median(seconds);
    figures.library = Median(library);
    figures.copy = Median(copy);
    figures.ratio = Median(ratio);
    if (timeWin32) {
        figures.win32 = Median(win32);
        figures.win32Library = Median(win32Library);
        figures.ownRatio = Median(ownRatio);
    }
    return figures;
}

// Every extraction natively against its floor, and the Win32 build's own
// part against the native one.
bool ReportExtractions(int count, int repeat, const fs::path& win32Folder,
                       const std::string& win32Clock)
{
    std::printf(
        "\n%d-record extractions through the stand-in, median of %d runs each.\n"
        "Native: seconds in the process, against the floor that no extraction can\n"
        "beat, library s + cp s: the same records only read through the library,\n"
        "and cp of the extraction's own output file (target: within %.1fx floor).\n"
        "Win32: the same extraction of the Win32 build under Wine, timed in its own\n"
        "process by the Win32 clock program, so nothing of Wine's start-up counts.\n"
        "Judged by its own part, seconds less library s, against the native own part,\n"
        "native seconds less native library s (target: within %.1fx).\n\n",
        count, repeat, kMaxRatioToFloor, kMaxWin32OwnToNativeOwn);
    std::printf("%-24s %8s %8s %8s %8s %8s %6s %6s  %8s %8s %6s %6s\n", "", "", "native", "", "",
                "", "", "", "Win32", "", "own/", "");
    std::printf("%-24s %8s %8s %8s %8s %8s %6s %6s  %8s %8s %6s %6s\n", "extraction", "lines",
                "seconds", "library", "cp s", "floor s", "ratio", "target", "seconds", "library",
                "native", "target");
    std::printf("%-24s %8s %8s %8s %8s %8s %6s %6s  %8s %8s %6s %6s\n", "", "", "", "s", "", "", "",
                "", "", "s", "own", "");
    bool met = true;
    for (const ExtractionKind& kind : kExtractionKinds) {
        const ExtractionFigures figures =
            MeasureExtraction(kind, count, repeat, win32Folder, win32Clock);
        const auto lines = fs::file_size(kind.outputName) / kLineBytesOnDisk;
        const double floor = figures.library + figures.copy;
        const double ratio = figures.ratio;
        const double ownRatio = figures.ownRatio;
        met = met && ratio <= kMaxRatioToFloor && !win32Clock.empty() &&
              ownRatio <= kMaxWin32OwnToNativeOwn;
        std::printf("%-24s %8ju %8.3f %8.3f %8.3f %8.3f %6.2f %6s", kind.label,
                    static_cast<std::uintmax_t>(lines), figures.seconds, figures.library,
                    figures.copy, floor, ratio, Verdict(ratio <= kMaxRatioToFloor));
        if (win32Clock.empty()) {
            std::printf("  %8s %8s %6s %6s\n", "-", "-", "-", "NOT MEASURED");
        } else {
            std::printf("  %8.3f %8.3f %6.2f %6s\n", figures.win32, figures.win32Library, ownRatio,
                        Verdict(ownRatio <= kMaxWin32OwnToNativeOwn));
        }
    }
    if (win32Clock.empty()) {
        std::printf(
            "\nWin32: NOT MEASURED. This machine runs no 32-bit programs (IA-32 emulation is\n"
            "off in its kernel), so the Win32 build cannot run under Wine here; its target\n"
            "counts as missed.\n");
    }
    std::printf(
        "\nratio: seconds / floor s. own/native own: (Win32 seconds - Win32 library s) /\n"
        "(native seconds - native library s), judged: the stand-in's reads under Wine\n"
        "are not the program's. Both are medians of the ratios of each run, so they may\n"
        "differ a little from the same ratio of the medians shown.\n");
    return met;
}

// The native console program as a whole process, as a batch file runs it,
// against the same extraction inside this process; cp of its output beside
// them. Interleaved medians after one warm-up each.
bool ReportConsoleProgram(int count, int repeat, const std::string& cli)
{
    std::printf(
        "\nThe native console program, whole processes, against the same extraction\n"
        "timed inside one process, median of %d runs each (target: within %.2fx;\n"
        "the difference is start-up, loading and the final flush; the ratio is the\n"
        "median of each run's). cp s, cp of its output, is shown only.\n\n",
        repeat, kMaxConsoleToInProcess);
    std::printf("%-24s %8s %10s %7s %6s  %8s\n", "extraction", "seconds", "in-process", "ratio",
                "target", "cp s");
    bool met = true;
    for (const char* name : kConsoleKinds) {
        const ExtractionKind& kind = *FindExtractionKind(name);
        const char* word = kExtractionModes[kind.mode].word;
        const std::vector<std::string> command = {cli, "extract", word, "1", std::to_string(count)};
        const std::string copyName = std::string("cp_of_") + kind.outputName;
        const std::vector<std::string> copyCommand = {"cp", kind.outputName, copyName};
        Run(command);
        Extract(kind, count);
        Run(copyCommand);
        std::vector<double> seconds;
        std::vector<double> inProcess;
        std::vector<double> copy;
        std::vector<double> ratios;
        for (int run = 0; run < repeat; ++run) {
            ReadyForTimedWrite(kind.outputName);
            Clock::time_point start = Clock::now();
            Run(command);
            seconds.push_back(SecondsSince(start));
            ReadyForTimedWrite(kind.outputName);
            start = Clock::now();
            Extract(kind, count);
            inProcess.push_back(SecondsSince(start));
            ratios.push_back(seconds.back() / inProcess.back());
            ReadyForTimedWrite(copyName);
            start = Clock::now();
            Run(copyCommand);
            copy.push_back(SecondsSince(start));
        }
        fs::remove(copyName);
        const double ratio = Median(ratios);
        met = met && ratio <= kMaxConsoleToInProcess;
        std::printf("%-24s %8.3f %10.3f %7.2f %6s  %8.3f\n", kind.label, Median(seconds),
                    Median(inProcess), ratio, Verdict(ratio <= kMaxConsoleToInProcess),
                    Median(copy));
    }
    return met;
}

bool ReportRecordCount(int count)
{
    std::printf(
        "\nGetRecordCount on the %d-record databases, median of %d calls\n"
        "(load the library, open, read the count, close, release; target under %.0f "
        "ms)\n\n",
        count, kRecordCountCalls, kMaxRecordCountMs);
    bool met = true;
    for (int mode : {kModeVersion4, kModeVersion5}) {
        std::vector<double> milliseconds;
        for (int call = 0; call < kRecordCountCalls; ++call) {
            const Clock::time_point start = Clock::now();
            RecordCountOrFail(mode);
            milliseconds.push_back(SecondsSince(start) * 1000);
        }
        const double median = Median(milliseconds);
        met = met && median < kMaxRecordCountMs;
        std::printf("mode %d (%s): median %.3f ms, fastest %.3f ms, slowest %.3f ms  %s\n", mode,
                    SourceFileName(kExtractionModes[mode].source), median,
                    *std::min_element(milliseconds.begin(), milliseconds.end()),
                    *std::max_element(milliseconds.begin(), milliseconds.end()),
                    Verdict(median < kMaxRecordCountMs));
    }
    return met;
}

// A figure of /proc/self/status in KiB.
long StatusKiB(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(std::string(field) + ":", 0) == 0) {
            return std::atol(line.c_str() + field.size() + 1);
        }
    }
    FailTiming("no " + std::string(field) + " in /proc/self/status");
}

// Each extraction in a process of its own, which tells its peak resident
// set (the whole process, with the pages of the database file that the
// stand-in maps) and the peak of its anonymous memory (what the program
// itself allocates). A fresh process, so that nothing of the report's own
// runs counts.
bool ReportMemory(const std::string& self, const fs::path& small, int smallCount,
                  const fs::path& large, int largeCount)
{
    std::printf(
        "\nPeak memory of one extraction in a process of its own, in MiB (target: "
        "under %.0f,\ngrowing by less than %.0f from %d to %d records)\n\n",
        kMaxPeakMiB, kMaxPeakGrowthMiB, smallCount, largeCount);
    std::printf("%-24s %22s %22s %22s  %s\n", "", "resident (VmHWM)", "anonymous (sampled)",
                "growth", "");
    std::printf("%-24s %11s %10s %11s %10s %11s %10s  %s\n", "extraction", "small", "large",
                "small", "large", "resident", "anonymous", "target");
    bool met = true;
    for (const ExtractionKind& kind : kExtractionKinds) {
        double smallPeak = 0;
        double smallAnonymous = 0;
        double largePeak = 0;
        double largeAnonymous = 0;
        std::sscanf(Run({self, "extract", kind.name, small.string()}).c_str(), "%lf %lf",
                    &smallPeak, &smallAnonymous);
        std::sscanf(Run({self, "extract", kind.name, large.string()}).c_str(), "%lf %lf",
                    &largePeak, &largeAnonymous);
        const double growth = largePeak - smallPeak;
        const double anonymousGrowth = largeAnonymous - smallAnonymous;
        const bool kindMet = largePeak < kMaxPeakMiB && anonymousGrowth < kMaxPeakGrowthMiB;
        met = met && kindMet;
        std::printf("%-24s %11.2f %10.2f %11.2f %10.2f %11.2f %10.2f  %s\n", kind.label, smallPeak,
                    largePeak, smallAnonymous, largeAnonymous, growth, anonymousGrowth,
                    Verdict(kindMet));
    }
    std::printf(
        "\nThe resident set includes the pages of the database file that the stand-in\n"
        "maps. The kernel maps them by whole page-cache folios (steps of up to 2 MiB\n"
        "seen here), so that part moves by a few MiB between files of different\n"
        "sizes whatever the program does. The growth target is judged on the\n"
        "anonymous memory, the program's own.\n");
    return met;
}

// The median real time in ns of each benchmark of a Google Benchmark CSV file
// written with repetitions: its rows "NAME_median",iterations,real,cpu,ns,...
std::vector<std::pair<std::string, double>> BenchmarkMedians(const fs::path& csv)
{
    std::ifstream file(csv);
    std::vector<std::pair<std::string, double>> medians;
    const std::string suffix = "_median\"";
    for (std::string line; std::getline(file, line);) {
        const std::size_t end = line.find(suffix);
        if (line.empty() || line[0] != '"' || end == std::string::npos) {
            continue;
        }
        double real = 0;
        double cpu = 0;
        char unit[8] = {};
        if (std::sscanf(line.c_str() + end + suffix.size(), ",%*[^,],%lf,%lf,%7[^,]", &real, &cpu,
                        unit) != 3 ||
            (std::string_view(unit) != "ns" && std::string_view(unit) != "\"ns\"")) {
            FailTiming("unreadable benchmark row: " + line);
        }
        medians.emplace_back(line.substr(1, end - 1), real);
    }
    return medians;
}

double MedianOf(const std::vector<std::pair<std::string, double>>& medians, std::string_view name)
{
    for (const auto& [benchmark, ns] : medians) {
        if (benchmark == name) {
            return ns;
        }
    }
    FailTiming("no median of " + std::string(name) + " (run with --benchmark_repetitions)");
}

// The line-building targets, judged on the medians that bench/report had the
// benchmark write.
int JudgeLineBuilding(const fs::path& csv)
{
    const auto medians = BenchmarkMedians(csv);
    const double version5 = MedianOf(medians, "BM_BuildVersion5Line");
    std::printf(
        "\nLine-building targets, medians of real time: a version-4 line within %.0f ns,\n"
        "a version-5 line within %.0f ns with or without the mode step, and the step\n"
        "no more than %.0f ns over the line alone.\n\n",
        kMaxVersion4LineNs, kMaxVersion5LineNs, kMaxModeStepNs);
    std::printf("%-36s %8s %7s %8s %7s  %s\n", "benchmark", "ns", "target", "step ns", "target",
                "");
    bool met = true;
    const auto judge = [&met](const char* name, double ns, double target, double step) {
        const bool rowMet = ns <= target && step <= kMaxModeStepNs;
        met = met && rowMet;
        std::printf("%-36s %8.1f %7.0f", name, ns, target);
        if (step >= 0) {
            std::printf(" %8.1f %7.0f", step, kMaxModeStepNs);
        } else {
            std::printf(" %8s %7s", "", "");
        }
        std::printf("  %s\n", Verdict(rowMet));
    };
    judge("BM_BuildVersion4Line", MedianOf(medians, "BM_BuildVersion4Line"), kMaxVersion4LineNs,
          -1);
    judge("BM_BuildVersion5Line", version5, kMaxVersion5LineNs, -1);
    for (const char* name : {"BM_Version5LineAndModeStep/2", "BM_Version5LineAndModeStep/3",
                             "BM_Version5LineAndModeStep/4", "BM_Version5LineAndModeStep/5"}) {
        const double ns = MedianOf(medians, name);
        judge(name, ns, kMaxVersion5LineNs, ns - version5);
    }
    std::printf("\n%s\n", met ? "Line-building targets met." : "Line-building targets MISSED.");
    return met ? 0 : 1;
}

// The paths that the report is given.
struct ReportInputs {
    fs::path standin;
    std::string cli;
    fs::path win32Standin;
    std::string win32Clock;
    fs::path largeDatabases;
    fs::path smallDatabases;
    fs::path scratch;
};

int Report(const std::string& self, const ReportInputs& inputs, int repeat)
{
    const fs::path large = fs::absolute(inputs.scratch / "large");
    const fs::path small = fs::absolute(inputs.scratch / "small");
    const fs::path win32Large = fs::absolute(inputs.scratch / "win32_large");
    LayOut(large, inputs.standin, inputs.largeDatabases);
    LayOut(small, inputs.standin, inputs.smallDatabases);
    if (!inputs.win32Clock.empty()) {
        LayOut(win32Large, inputs.win32Standin, inputs.largeDatabases);
    }
    fs::current_path(small);
    const int smallCount = RecordCountOrFail(1);
    fs::current_path(large);
    const int largeCount = RecordCountOrFail(1);
    if (RecordCountOrFail(2) != largeCount) {
        FailTiming("the two large databases differ in size");
    }

    std::printf("Performance report: %s, %ld cores\n", CpuModel().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN));
    bool met = ReportExtractions(largeCount, repeat, win32Large, inputs.win32Clock);
    met = ReportConsoleProgram(largeCount, repeat, inputs.cli) && met;
    met = ReportRecordCount(largeCount) && met;
    met = ReportMemory(self, small, smallCount, large, largeCount) && met;
    std::printf("\n%s\n", met ? "All targets met." : "Some targets MISSED.");
    return met ? 0 : 1;
}

// The largest anonymous resident memory seen while the object lives, from
// samples taken every millisecond.
class AnonymousPeakSampler {
public:
    AnonymousPeakSampler()
        : m_thread([this] {
              while (!m_stop) {
                  m_peakKiB = std::max(m_peakKiB.load(), StatusKiB("RssAnon"));
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          })
    {
    }
    ~AnonymousPeakSampler() { Stop(); }
    AnonymousPeakSampler(const AnonymousPeakSampler&) = delete;
    AnonymousPeakSampler& operator=(const AnonymousPeakSampler&) = delete;

    long Stop()
    {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
        return std::max(m_peakKiB.load(), StatusKiB("RssAnon"));
    }

private:
    std::atomic<bool> m_stop = false;
    std::atomic<long> m_peakKiB = 0;
    std::thread m_thread;
};

// Prints the peak resident set and the peak anonymous memory in MiB.
int ExtractOnce(const ExtractionKind& kind, const fs::path& folder)
{
    fs::current_path(folder);
    const int count = RecordCountOrFail(kind.mode);
    AnonymousPeakSampler sampler;
    Extract(kind, count);
    const long anonymousKiB = sampler.Stop();
    std::printf("%.2f %.2f\n", static_cast<double>(StatusKiB("VmHWM")) / 1024.0,
                static_cast<double>(anonymousKiB) / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv, argv + argc);
    if (argc == 4 && args[1] == "extract" && FindExtractionKind(args[2]) != nullptr) {
        return ExtractOnce(*FindExtractionKind(args[2]), args[3]);
    }
    if (argc == 3 && args[1] == "lines") {
        return JudgeLineBuilding(args[2]);
    }
    if ((argc == 9 || argc == 10) && args[1] == "report") {
        const int repeat = argc == 10 ? std::atoi(argv[9]) : 5;
        // "-" for the Win32 clock program: this machine cannot run it.
        const std::string win32Clock = args[5] == "-" ? "" : fs::absolute(args[5]).string();
        const ReportInputs inputs = {
            args[2], fs::absolute(args[3]).string(), args[4], win32Clock, args[6], args[7],
            args[8]};
        return Report(fs::canonical("/proc/self/exe").string(), inputs, std::max(repeat, 1));
    }
    std::fprintf(stderr,
                 "usage:\n"
                 "  extraction_timing report STANDIN CLI WIN32_STANDIN WIN32_CLOCK|- LARGE_DB_DIR "
                 "SMALL_DB_DIR SCRATCH_DIR [REPEAT]\n"
                 "  extraction_timing extract v4|v5m2|v5m3|v5m4|v5m5 FOLDER\n"
                 "  extraction_timing lines CSV\n");
    return 2;
}
