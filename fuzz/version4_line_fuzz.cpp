// Version-4 line building from arbitrary 724-byte contexts.
// Input: the context's bytes; a shorter input is padded with NULs, the rest
// of a longer one is not used.
// Checks: the line is 200 columns without a NUL, then CR LF; it equals the
// line that the placement rules give, worked out here directly from them; the
// context is not changed; nothing outside the context is read (it is an
// allocation of exactly 724 bytes, so AddressSanitizer reports any read past
// it).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "extract/line_layout.h"
#include "extract/version4_extraction.h"
#include "fuzz/fuzz_support.h"
#include "loglib/log_library.h"

namespace {

// Where each text of the record goes, in the order of placement.
struct Placement {
    int column;
    int offset;
};
constexpr Placement kBeforeStamp[] = {{0, 0},   {7, 8},   {10, 48}, {16, 55},
                                      {22, 36}, {29, 44}, {32, 66}, {44, 62}};
constexpr Placement kAfterStamp[] = {{58, 28}, {61, 32}, {64, 79}, {92, 108}, {146, 163}};
constexpr int kStampSources[] = {12, 13, 15, 16, 18, 19, 21, 22, 24, 25, 26};

using Line = std::array<std::uint8_t, 203>;

// The text at offset runs to its first NUL or to the end of the context;
// it is written with its NUL, if it has one, and nothing reaches position 203.
void Place(Line& line, const std::uint8_t* context, const Placement& placement)
{
    int column = placement.column;
    for (int at = placement.offset; at < kVersion4ContextSize && column < 203; ++at) {
        line[column++] = context[at];
        if (context[at] == 0) {
            break;
        }
    }
}

Line ExpectedLine(const std::uint8_t* context)
{
    Line line{};
    for (const Placement& placement : kBeforeStamp) {
        Place(line, context, placement);
    }
    for (int i = 0; i < 11; ++i) {
        line[47 + i] = context[kStampSources[i]];
    }
    for (const Placement& placement : kAfterStamp) {
        Place(line, context, placement);
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
    const auto context = std::make_unique<std::uint8_t[]>(kVersion4ContextSize);
    std::memcpy(context.get(), data, std::min<std::size_t>(size, kVersion4ContextSize));
    const std::string before(reinterpret_cast<const char*>(context.get()), kVersion4ContextSize);

    // Its own allocation, so that a write past the line is a finding.
    const auto built = std::make_unique<char[]>(kLineBufferSize);
    BuildVersion4Line(context.get(), built.get());

    const char* line = built.get();
    FUZZ_CHECK(std::memchr(line, '\0', kLineColumns) == nullptr);
    FUZZ_CHECK(line[200] == '\r' && line[201] == '\n' && line[202] == '\0');
    const Line expected = ExpectedLine(context.get());
    FUZZ_CHECK(std::memcmp(line, expected.data(), expected.size()) == 0);
    FUZZ_CHECK(std::memcmp(context.get(), before.data(), kVersion4ContextSize) == 0);
    return 0;
}
