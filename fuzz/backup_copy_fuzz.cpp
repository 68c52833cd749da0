// The backup range copy on arbitrary input and ranges.
// Input: the start line, the end line, then the bytes of "BAK0001.TXT". Each
// line number is a selector byte: with its top bit set, the four bytes after
// it are the number (little-endian); otherwise the number is the selector
// modulo 48, less 4, so that most ranges meet the input's lines.
// Checks: the one message is "終了しました"; the output is exactly the
// pieces of the input numbered start to end, where the input is read after
// the text-stream rules, a piece runs up to and including a line feed but
// holds at most 200 characters, counting stops after piece end, and every
// line feed is written as CR LF; the input is not changed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "extract/backup_copy.h"
#include "fuzz/fuzz_support.h"
#include "platform/notifier.h"

namespace {

constexpr const char* kInput = "BAK0001.TXT";
constexpr const char* kOutput = "TARVEK_CONV_DATA.TXT";
constexpr std::size_t kPieceLimit = 200;

// Takes a line number from the front of the input.
int LineNumber(std::string_view& input)
{
    if (input.empty()) {
        return 1;
    }
    const auto selector = static_cast<std::uint8_t>(input.front());
    input.remove_prefix(1);
    if ((selector & 0x80) == 0 || input.size() < 4) {
        return selector % 48 - 4;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(input[i])) << (8 * i);
    }
    input.remove_prefix(4);
    return static_cast<int>(value);
}

// What the rules say the output file holds.
std::string ExpectedOutput(const std::string& input, int start, int end)
{
    const std::string characters = DecodeTextStream(input);
    std::string copied;
    std::int64_t counter = 0;
    std::size_t at = 0;
    while (at < characters.size()) {
        const std::size_t lineFeed = characters.find('\n', at);
        const std::size_t length = std::min(
            kPieceLimit, (lineFeed == std::string::npos ? characters.size() : lineFeed + 1) - at);
        ++counter;
        if (start <= counter && counter <= end) {
            copied += characters.substr(at, length);
        }
        if (counter == end) {
            break;
        }
        at += length;
    }
    std::string written;
    for (char c : copied) {
        written += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    EnterScratchFolder("backup_copy_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const int start = LineNumber(rest);
    const int end = LineNumber(rest);
    const std::string input(rest);
    WriteWholeFile(kInput, input);

    RecordingNotifier notifier;
    CopyBackupRange(start, end, notifier);

    FUZZ_CHECK(notifier.Messages() == std::vector<std::string>{"終了しました"});
    FUZZ_CHECK(ReadWholeFile(kOutput) == ExpectedOutput(input, start, end));
    FUZZ_CHECK(ReadWholeFile(kInput) == input);
    return 0;
}
