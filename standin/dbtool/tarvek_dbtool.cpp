// tarvek_dbtool: builds the stand-in's databases "TARVEK.DBS" and
// "TARVEK.VDB" from a text log, or from a synthetic log for benchmarks.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "standin/dbtool/log_entry.h"
#include "standin/dbtool/synthetic_log.h"
#include "standin/dbtool/text_log.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  tarvek_dbtool build SOURCE OUTDIR      TARVEK.DBS and TARVEK.VDB from a text log\n"
    "  tarvek_dbtool synth COUNT OUTDIR [SEED] the same from COUNT synthetic contacts\n";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Both databases of one log, built side by side.
class DatabasePair {
public:
    void Reserve(std::size_t records)
    {
        m_version4.Reserve(records);
        m_version5.Reserve(records);
    }

    bool Add(const LogEntry& entry)
    {
        Version4RecordImage image;
        if (!ToVersion4Image(entry, image) || !m_version5.Add(ToVersion5Texts(entry))) {
            return false;
        }
        m_version4.Add(image);
        return true;
    }

    // Writes both files into folder, reporting each file's time.
    bool Write(const fs::path& folder)
    {
        std::error_code ignored;
        fs::create_directories(folder, ignored);
        return WriteOne(folder / "TARVEK.DBS",
                        [this](const std::string& path) { return m_version4.Write(path); }) &&
               WriteOne(folder / "TARVEK.VDB",
                        [this](const std::string& path) { return m_version5.Write(path); });
    }

private:
    template <typename Writer>
    static bool WriteOne(const fs::path& path, Writer write)
    {
        const Clock::time_point start = Clock::now();
        if (!write(path.string())) {
            std::fprintf(stderr, "tarvek_dbtool: cannot write %s\n", path.string().c_str());
            return false;
        }
        std::printf("wrote %s (%ju bytes) in %.2f s\n", path.string().c_str(),
                    static_cast<std::uintmax_t>(fs::file_size(path)), SecondsSince(start));
        return true;
    }

    Version4DatabaseBuilder m_version4;
    Version5DatabaseBuilder m_version5;
};

int Build(const std::string& source, const fs::path& folder)
{
    std::vector<LogEntry> entries;
    std::string error;
    if (!ReadTextLog(source, entries, error)) {
        std::fprintf(stderr, "tarvek_dbtool: %s\n", error.c_str());
        return 1;
    }
    DatabasePair databases;
    databases.Reserve(entries.size());
    for (const LogEntry& entry : entries) {
        if (!databases.Add(entry)) {
            std::fprintf(stderr, "tarvek_dbtool: the database outgrows its format\n");
            return 1;
        }
    }
    std::printf("%zu contacts from %s\n", entries.size(), source.c_str());
    return databases.Write(folder) ? 0 : 1;
}

int Synthesize(long count, std::uint64_t seed, const fs::path& folder)
{
    const Clock::time_point start = Clock::now();
    SyntheticLog log(seed);
    DatabasePair databases;
    databases.Reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
        if (!databases.Add(log.Next())) {
            std::fprintf(stderr, "tarvek_dbtool: the database outgrows its format at %ld\n", i + 1);
            return 1;
        }
    }
    std::printf("generated %ld contacts in %.2f s\n", count, SecondsSince(start));
    if (!databases.Write(folder)) {
        return 1;
    }
    std::printf("total %.2f s\n", SecondsSince(start));
    return 0;
}

// A whole non-negative decimal number, or -1.
long long ParseCount(const char* text)
{
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return *text != '\0' && *end == '\0' && value >= 0 ? value : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 3 && args[0] == "build") {
            return Build(args[1], args[2]);
        }
        if ((args.size() == 3 || args.size() == 4) && args[0] == "synth") {
            const long long count = ParseCount(args[1].c_str());
            const long long seed = args.size() == 4 ? ParseCount(args[3].c_str()) : 1;
            if (count >= 0 && count <= 0x7FFFFFFF && seed >= 0) {
                return Synthesize(static_cast<long>(count), static_cast<std::uint64_t>(seed),
                                  args[2]);
            }
        }
    } catch (const std::exception& exception) {
        std::fprintf(stderr, "tarvek_dbtool: %s\n", exception.what());
        return 1;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
