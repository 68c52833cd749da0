// Version-5 line building from arbitrary 864-byte records.
// Input: the record's 864 bytes (a shorter input is padded with NULs), then
// the bytes of a text area of at most one page that the addresses point into.
// The text area lies below 4 GiB, ends with a NUL as texts must, and is
// followed by an inaccessible page. Each of the seven 4-byte address fields
// holding v becomes 0 when v is 0, and otherwise the address of the text area
// plus v modulo its size.
// Checks: the line is 200 columns without a NUL, then CR LF; it equals the
// line that the slash rule and the placement rules give, worked out here
// directly from them; each mode's verdict told from the record alone is the
// one its step gives on the line; the record changes only by the slash rule, in its
// first 203 bytes; nothing outside the record or the text area is read (the
// record is an allocation of exactly 864 bytes for AddressSanitizer, and a
// read past the text area meets the inaccessible page).
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "extract/extraction_modes.h"
#include "extract/line_layout.h"
#include "extract/version5_extraction.h"
#include "fuzz/fuzz_support.h"
#include "loglib/log_library.h"

namespace {

constexpr std::size_t kPage = 4096;
constexpr int kFirstAddressField = 821;
constexpr int kAddressFields = 7;

// Record texts and addressed texts in the order of placement; an address
// field is told apart by its offset of 821 or more.
struct Placement {
    int column;
    int offset;
};
constexpr Placement kBeforeStamp[] = {{10, 37},  {16, 44},  {22, 825},
                                      {29, 829}, {32, 833}, {44, 51}};
constexpr Placement kAfterStamp[] = {{58, 57}, {61, 821}, {64, 837}, {92, 841}, {146, 845}};
constexpr int kStampSources[] = {21, 22, 24, 25, 27, 28, 30, 31, 33, 34, 35};

using Line = std::array<std::uint8_t, 203>;

// A page below 4 GiB for the texts, followed by a page that cannot be read.
std::uint8_t* TextPage()
{
    static std::uint8_t* page = [] {
        void* mapped = mmap(nullptr, 2 * kPage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
        if (mapped == MAP_FAILED ||
            mprotect(static_cast<std::uint8_t*>(mapped) + kPage, kPage, PROT_NONE) != 0) {
            std::abort();
        }
        return static_cast<std::uint8_t*>(mapped);
    }();
    return page;
}

std::uint32_t LoadLe(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void StoreLe(std::uint8_t* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Writes the text from start, with its NUL if it has one before limit, and
// nothing at position 203 or beyond.
void PlaceFrom(Line& line, int column, const std::uint8_t* start, const std::uint8_t* limit)
{
    for (const std::uint8_t* at = start; at < limit && column < 203; ++at) {
        line[column++] = *at;
        if (*at == 0) {
            break;
        }
    }
}

// record is the buffer after the slash rule.
void Place(Line& line, const std::uint8_t* record, const Placement& placement)
{
    if (placement.offset < kFirstAddressField) {
        PlaceFrom(line, placement.column, record + placement.offset, record + kVersion5RecordSize);
        return;
    }
    // An address of 0 is an empty text, which places just its NUL.
    static const std::uint8_t kEmpty[1] = {0};
    const std::uint32_t address = LoadLe(record + placement.offset);
    const auto* text =
        address == 0 ? kEmpty : reinterpret_cast<const std::uint8_t*>(std::uintptr_t{address});
    PlaceFrom(line, placement.column, text, address == 0 ? kEmpty + 1 : TextPage() + kPage);
}

Line ExpectedLine(const std::uint8_t* record)
{
    Line line{};
    PlaceFrom(line, 0, record, record + kVersion5RecordSize);
    const auto* nul = std::find(record, record + 20, std::uint8_t{0});
    PlaceFrom(line, 7, nul + 1, record + kVersion5RecordSize);
    for (const Placement& placement : kBeforeStamp) {
        Place(line, record, placement);
    }
    for (int i = 0; i < 11; ++i) {
        line[47 + i] = record[kStampSources[i]];
    }
    for (const Placement& placement : kAfterStamp) {
        Place(line, record, placement);
    }
    std::replace(line.begin(), line.end(), std::uint8_t{0}, std::uint8_t{' '});
    line[200] = '\r';
    line[201] = '\n';
    line[202] = 0;
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto record = std::make_unique<std::uint8_t[]>(kVersion5RecordSize);
    const std::size_t recordBytes = std::min<std::size_t>(size, kVersion5RecordSize);
    std::memcpy(record.get(), data, recordBytes);

    // The text area ends where the readable page ends, with a NUL.
    const std::size_t textSize = std::min(size - recordBytes, kPage - 1) + 1;
    std::uint8_t* texts = TextPage() + kPage - textSize;
    std::memcpy(texts, data + recordBytes, textSize - 1);
    texts[textSize - 1] = 0;
    for (int field = 0; field < kAddressFields; ++field) {
        std::uint8_t* bytes = record.get() + kFirstAddressField + 4 * field;
        const std::uint32_t value = LoadLe(bytes);
        const std::uintptr_t address =
            value == 0 ? 0 : reinterpret_cast<std::uintptr_t>(texts + value % textSize);
        StoreLe(bytes, static_cast<std::uint32_t>(address));
    }

    // The record as the slash rule leaves it.
    std::vector<std::uint8_t> slashed(record.get(), record.get() + kVersion5RecordSize);
    std::replace(slashed.begin(), slashed.begin() + 203, std::uint8_t{'/'}, std::uint8_t{0});

    // The filtered modes' verdicts from the record as read, before the slash
    // rule changes it.
    bool passes[kModeCount] = {};
    for (int mode = kModeVersion5; mode < kModeCount; ++mode) {
        passes[mode] = PassesModeTest(kExtractionModes[mode], record.get());
    }

    // Its own allocation, so that a write past the line is a finding.
    const auto built = std::make_unique<char[]>(kLineBufferSize);
    BuildVersion5Line(record.get(), built.get());

    FUZZ_CHECK(std::memcmp(record.get(), slashed.data(), kVersion5RecordSize) == 0);
    const char* line = built.get();
    FUZZ_CHECK(std::memchr(line, '\0', kLineColumns) == nullptr);
    FUZZ_CHECK(line[200] == '\r' && line[201] == '\n' && line[202] == '\0');
    const Line expected = ExpectedLine(slashed.data());
    FUZZ_CHECK(std::memcmp(line, expected.data(), expected.size()) == 0);

    // Each mode's verdict from the record alone is its step's on the line.
    for (int mode = kModeVersion5; mode < kModeCount; ++mode) {
        const auto stepped = std::make_unique<char[]>(kLineBufferSize);
        std::memcpy(stepped.get(), line, kLineBufferSize);
        FUZZ_CHECK(passes[mode] == ApplyModeStep(kExtractionModes[mode], stepped.get()));
    }
    return 0;
}
