// Google Benchmark of the per-record work of the extractions: building the
// version-4 and version-5 lines, the mode step of each version-5 mode, and
// writing finished lines through the checked output file.
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "extract/extraction_modes.h"
#include "extract/extraction_output.h"
#include "extract/line_layout.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"
#include "loglib/log_library.h"
#include "standin/database_writer.h"

namespace {

// Texts of a typical contact, Japanese ones in code page 932.
const std::string kQth = "\x93\x8c\x8b\x9e\x93\x73\x91\xe4\x93\x8c\x8b\xe6";  // 東京都台東区
const std::string kName = "\x8e\x52\x93\x63";                                 // 山田
const std::string kRemarks = "QSL via bureau, \x83\x4e\x83\x89\x83\x75\x89\xef\x88\xf5";
const std::string kMemo = "Portable operation from the park, 5 W and a wire antenna";

std::array<std::uint8_t, kVersion4ContextSize> MakeVersion4Context()
{
    const Version4RecordTexts texts = {.f000 = "JA1ABC",
                                       .f007 = "1",
                                       .f010 = "100105",
                                       .f016 = "7.012",
                                       .f022 = "CW",
                                       .f029 = "599",
                                       .f032 = kName,
                                       .f044 = "JSR",
                                       .f047 = "24/05/03 12:34J",
                                       .f058 = "579",
                                       .f061 = "100",
                                       .f064 = kQth,
                                       .f092 = kRemarks,
                                       .f146 = kMemo};
    Version4RecordImage image;
    if (!BuildVersion4RecordImage(texts, image)) {
        std::abort();
    }
    std::array<std::uint8_t, kVersion4ContextSize> context{};
    std::memcpy(context.data(), image.data(), image.size());
    return context;
}

// A copy of text below 4 GiB, where a 4-byte address field can reach it.
std::uint32_t LowAddressOf(const std::string& text)
{
    static char* arena = nullptr;
    static std::size_t used = 0;
    constexpr std::size_t kArenaSize = 1 << 16;
    if (arena == nullptr) {
        void* mapped = mmap(nullptr, kArenaSize, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
        if (mapped == MAP_FAILED) {
            std::abort();
        }
        arena = static_cast<char*>(mapped);
    }
    char* copy = arena + used;
    std::memcpy(copy, text.c_str(), text.size() + 1);
    used += text.size() + 1;
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(copy));
}

void StoreAddress(std::uint8_t* record, int offset, std::uint32_t address)
{
    for (int i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<std::uint8_t>(address >> (8 * i));
    }
}

// A record as the library leaves it: the copied texts and seven addresses.
std::array<std::uint8_t, kVersion5RecordSize> MakeVersion5Record()
{
    std::array<std::uint8_t, kVersion5RecordSize> record{};
    const auto put = [&record](int offset, const std::string& text) {
        std::memcpy(record.data() + offset, text.c_str(), text.size() + 1);
    };
    put(0, "JA1ABC/1");
    put(21, "24/05/03 12:34J");
    put(37, "100105");
    put(44, "7.012");
    put(51, "JSR");
    put(57, "579");
    const std::string addressed[7] = {"100", "CW", "599", kName, kQth, kRemarks, kMemo};
    for (int i = 0; i < 7; ++i) {
        StoreAddress(record.data(), 821 + 4 * i, LowAddressOf(addressed[i]));
    }
    return record;
}

void BM_BuildVersion4Line(benchmark::State& state)
{
    const auto context = MakeVersion4Context();
    char line[kLineBufferSize];
    for (auto _ : state) {
        BuildVersion4Line(context.data(), line);
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildVersion4Line);

// The slash rule changes the record in place, so every iteration starts from
// the record as the library delivered it, as every read does.
void BM_BuildVersion5Line(benchmark::State& state)
{
    const auto delivered = MakeVersion5Record();
    auto record = delivered;
    char line[kLineBufferSize];
    for (auto _ : state) {
        record = delivered;
        BuildVersion5Line(record.data(), line);
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildVersion5Line);

// Line building followed by the step of mode 2 (none), 3 (JCC), 4 (JCG) or
// 5 (town/village).
void BM_Version5LineAndModeStep(benchmark::State& state)
{
    const ExtractionMode& mode = kExtractionModes[state.range(0)];
    const auto delivered = MakeVersion5Record();
    auto record = delivered;
    char line[kLineBufferSize];
    for (auto _ : state) {
        record = delivered;
        BuildVersion5Line(record.data(), line);
        benchmark::DoNotOptimize(ApplyModeStep(mode, line));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Version5LineAndModeStep)->DenseRange(2, 5);

// Building and writing, the whole per-record work of a version-4 extraction
// apart from the library's read: each line built in the output file's room,
// as the extraction builds it; the lines go to the null device.
void BM_BuildAndWriteVersion4Line(benchmark::State& state)
{
    const auto context = MakeVersion4Context();
    ExtractionOutput output;
    if (!output.Create("/dev/null")) {
        state.SkipWithError("cannot open /dev/null");
        return;
    }
    for (auto _ : state) {
        BuildVersion4Line(context.data(), output.Room());
        benchmark::DoNotOptimize(output.Commit(kLineBytesOnDisk));
    }
    output.Close();
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * kLineBytesOnDisk);
}
BENCHMARK(BM_BuildAndWriteVersion4Line);

}  // namespace
