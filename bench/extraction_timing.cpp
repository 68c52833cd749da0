// The end-to-end figures of bench/report, measured in one run on one machine:
// whole extractions through the stand-in library against `cp` of a file of
// the same size, the record-count probe, and the peak resident memory of one
// extraction. Native only.
//
//   extraction_timing report STANDIN LARGE_DB_DIR SMALL_DB_DIR SCRATCH_DIR [REPEAT]
//   extraction_timing extract KIND FOLDER   (one extraction, for the memory figure)
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
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "extract/extraction_line.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kFinished = "終了しました";

// The targets that the report checks.
constexpr double kMaxRatioToCopy = 2.0;
constexpr double kMaxRecordCountMs = 2.0;
constexpr double kMaxPeakMiB = 32.0;
constexpr double kMaxPeakGrowthMiB = 1.0;

constexpr int kRecordCountCalls = 201;

struct Kind {
    const char* name;   // on the command line
    const char* label;  // in the report
    int mode;           // 1 version 4, 2 to 5 version 5
    const char* outputName;
};

constexpr Kind kKinds[] = {
    {"v4", "version 4", 1, "TARVEK4_EXT_DAT.TXT"},
    {"v5m2", "version 5 mode 2", 2, "TARVEK5_EXT_DAT.TXT"},
    {"v5m3", "version 5 mode 3 (JCC)", 3, "TARVEK5_JCC_DAT.TXT"},
    {"v5m4", "version 5 mode 4 (JCG)", 4, "TARVEK5_JCG_DAT.TXT"},
    {"v5m5", "version 5 mode 5 (town)", 5, "TARVEK5_TOWN_DAT.TXT"},
};

const Kind* FindKind(std::string_view name)
{
    for (const Kind& kind : kKinds) {
        if (name == kind.name) {
            return &kind;
        }
    }
    return nullptr;
}

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

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "extraction_timing: %s\n", what.c_str());
    std::exit(2);
}

// Runs records 1 to count of the kind in the working directory; any other
// outcome than the one finished message ends the program.
void Extract(const Kind& kind, int count)
{
    RecordingNotifier notifier;
    if (kind.mode == 1) {
        ExtractVersion4(1, count, notifier);
    } else {
        ExtractVersion5(1, count, kind.mode, notifier);
    }
    if (notifier.Messages() != std::vector<std::string>{kFinished}) {
        Fail(std::string(kind.label) + ": " +
             (notifier.Messages().empty() ? "no message" : notifier.Messages().front()));
    }
}

// The library's share of an extraction: records 1 to count read through the
// binding, nothing built or written.
void ReadThroughLibrary(const Kind& kind, int count)
{
    static std::uint8_t record[kVersion5RecordSize];
    if (LoadLogLibrary() != 0) {
        Fail("cannot load the library");
    }
    bool read = true;
    if (kind.mode == 1) {
        Version4Context context;
        if (CallDbsDbrOpen(context, kVersion4DatabaseName) != 0) {
            Fail("cannot open TARVEK.DBS");
        }
        for (int n = 1; n <= count && read; ++n) {
            read = CallDbsDbrRead(context, n) == 0;
        }
        CallDbsDbrClose(context);
    } else {
        Version5Context context;
        if (CallTarvekOpen(context, kVersion5DatabaseName) != 0) {
            Fail("cannot open TARVEK.VDB");
        }
        for (int n = 1; n <= count && read; ++n) {
            read = CallVkdReadv(context, n, record) == 0;
        }
        CallTarvekClose(context);
    }
    FreeLogLibrary();
    if (!read) {
        Fail("a record cannot be read");
    }
}

int RecordCountOrFail(int mode)
{
    RecordingNotifier notifier;
    const int count = GetRecordCount(mode, notifier);
    if (count <= 0) {
        Fail("no record count for mode " + std::to_string(mode) + " in " +
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
        Fail("no pipe");
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
        Fail("cannot start " + arguments[0]);
    }
    std::string output;
    char buffer[4096];
    for (ssize_t length; (length = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(length));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(arguments[0] + " failed");
    }
    return output;
}

// A scratch folder that holds the stand-in and links to the two databases.
void LayOut(const fs::path& folder, const fs::path& standin, const fs::path& databases)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(standin, folder / "TARVEK50.DLL");
    for (const char* name : {"TARVEK.DBS", "TARVEK.VDB"}) {
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

// Extraction against cp of its own output, interleaved so that both see the
// same machine state, and beside them the library's share; medians of repeat
// runs after one warm-up each.
bool ReportExtractions(int count, int repeat)
{
    std::printf(
        "\n%d-record extractions through the stand-in, median of %d runs each,\n"
        "against cp of the extraction's own output file (target: within %.1fx cp).\n"
        "library s: the same records only read through the library, the floor of\n"
        "any extraction; own s: the rest, building, filtering and writing.\n\n",
        count, repeat, kMaxRatioToCopy);
    std::printf("%-24s %8s %10s %8s %10s %8s %8s %7s %7s  %s\n", "extraction", "lines", "records/s",
                "seconds", "library s", "own s", "cp s", "ratio", "floor", "target");
    bool met = true;
    for (const Kind& kind : kKinds) {
        const std::string copyName = std::string("cp_of_") + kind.outputName;
        const std::vector<std::string> copyCommand = {"cp", kind.outputName, copyName};
        Extract(kind, count);
        Run(copyCommand);
        ReadThroughLibrary(kind, count);
        std::vector<double> extractSeconds;
        std::vector<double> copySeconds;
        std::vector<double> librarySeconds;
        for (int run = 0; run < repeat; ++run) {
            // Each timed write starts with nothing of the previous one still
            // waiting to reach the disk, so neither pays for the other's.
            sync();
            Clock::time_point start = Clock::now();
            Extract(kind, count);
            extractSeconds.push_back(SecondsSince(start));
            sync();
            start = Clock::now();
            Run(copyCommand);
            copySeconds.push_back(SecondsSince(start));
            start = Clock::now();
            ReadThroughLibrary(kind, count);
            librarySeconds.push_back(SecondsSince(start));
        }
        const auto lines = fs::file_size(kind.outputName) / kLineBytesOnDisk;
        fs::remove(copyName);
        const double seconds = Median(extractSeconds);
        const double copy = Median(copySeconds);
        const double library = Median(librarySeconds);
        const double ratio = seconds / copy;
        met = met && ratio <= kMaxRatioToCopy;
        std::printf("%-24s %8ju %10.0f %8.3f %10.3f %8.3f %8.3f %7.2f %7.2f  %s\n", kind.label,
                    static_cast<std::uintmax_t>(lines), count / seconds, seconds, library,
                    seconds - library, copy, ratio, library / copy,
                    Verdict(ratio <= kMaxRatioToCopy));
    }
    std::printf(
        "\nratio: seconds / cp s; floor: library s / cp s, the ratio that even an\n"
        "extraction costing nothing of its own would reach.\n");
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
    for (int mode : {1, 2}) {
        std::vector<double> milliseconds;
        for (int call = 0; call < kRecordCountCalls; ++call) {
            const Clock::time_point start = Clock::now();
            RecordCountOrFail(mode);
            milliseconds.push_back(SecondsSince(start) * 1000);
        }
        const double median = Median(milliseconds);
        met = met && median < kMaxRecordCountMs;
        std::printf("mode %d (%s): median %.3f ms, fastest %.3f ms, slowest %.3f ms  %s\n", mode,
                    mode == 1 ? "TARVEK.DBS" : "TARVEK.VDB", median,
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
    Fail("no " + std::string(field) + " in /proc/self/status");
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
    for (const Kind& kind : kKinds) {
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

int Report(const std::string& self, const fs::path& standin, const fs::path& largeDatabases,
           const fs::path& smallDatabases, const fs::path& scratch, int repeat)
{
    const fs::path large = fs::absolute(scratch / "large");
    const fs::path small = fs::absolute(scratch / "small");
    LayOut(large, standin, largeDatabases);
    LayOut(small, standin, smallDatabases);
    fs::current_path(small);
    const int smallCount = RecordCountOrFail(1);
    fs::current_path(large);
    const int largeCount = RecordCountOrFail(1);
    if (RecordCountOrFail(2) != largeCount) {
        Fail("the two large databases differ in size");
    }

    std::printf("Performance report: %s, %ld cores\n", CpuModel().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN));
    bool met = ReportExtractions(largeCount, repeat);
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
int ExtractOnce(const Kind& kind, const fs::path& folder)
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
    if (argc == 4 && args[1] == "extract" && FindKind(args[2]) != nullptr) {
        return ExtractOnce(*FindKind(args[2]), args[3]);
    }
    if ((argc == 6 || argc == 7) && args[1] == "report") {
        const int repeat = argc == 7 ? std::atoi(argv[6]) : 5;
        return Report(fs::canonical("/proc/self/exe").string(), args[2], args[3], args[4], args[5],
                      std::max(repeat, 1));
    }
    std::fprintf(stderr,
                 "usage:\n"
                 "  extraction_timing report STANDIN LARGE_DB_DIR SMALL_DB_DIR SCRATCH_DIR "
                 "[REPEAT]\n"
                 "  extraction_timing extract v4|v5m2|v5m3|v5m4|v5m5 FOLDER\n");
    return 2;
}
