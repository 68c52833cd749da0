// Building and writing the extraction line.
#include "extract/extraction_line.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/output_file.h"

namespace {

char g_line[kLineBufferSize];

// Whether any of the eight bytes of word is 0: subtracting 1 from each byte
// borrows into its top bit only where the byte was 0 (or already had it set,
// which ~word rules out).
bool HasZeroByte(std::uint64_t word)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    return ((word - kOnes) & ~word & kHighBits) != 0;
}

// Copies source up to and including its first NUL, at most count bytes, one
// byte at a time, so that nothing past the NUL is read.
void CopyUpToNul(char* target, const char* source, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        target[i] = source[i];
        if (source[i] == '\0') {
            break;
        }
    }
}

}  // namespace

char* LineBuffer()
{
    return g_line;
}

void ClearLine()
{
    std::memset(g_line, 0, sizeof g_line);
}

void PlaceText(int column, const char* source, std::size_t available)
{
    const std::size_t room =
        std::min(available, static_cast<std::size_t>(kLineBufferSize - column));
    char* target = g_line + column;
    // Eight bytes at a time while they fit and hold no NUL, then byte by byte:
    // texts are short, and a search followed by a copy would cost two library
    // calls per text.
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= room; i += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, source + i, sizeof word);
        if (HasZeroByte(word)) {
            break;
        }
        std::memcpy(target + i, &word, sizeof word);
    }
    CopyUpToNul(target + i, source + i, room - i);
}

void PlaceTerminatedText(int column, const char* text)
{
    CopyUpToNul(g_line + column, text, static_cast<std::size_t>(kLineBufferSize - column));
}

void StoreStampBytes(const std::uint8_t* source, const int (&offsets)[kStampColumns])
{
    for (int i = 0; i < kStampColumns; ++i) {
        g_line[F047 + i] = static_cast<char>(source[offsets[i]]);
    }
}

void FinishLine()
{
    // Every byte is stored back, changed or not: a loop without a conditional
    // store is vectorised, std::replace's byte-by-byte branches are not.
    for (char& byte : g_line) {
        byte = byte == '\0' ? ' ' : byte;
    }
    g_line[kLineColumns] = '\r';
    g_line[kLineColumns + 1] = '\n';
    g_line[kLineColumns + 2] = '\0';
}

bool WriteLine(OutputFile& output)
{
    return output.Write(g_line, kLineBytesOnDisk);
}
