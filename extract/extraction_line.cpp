// Building and writing the extraction line.
#include "extract/extraction_line.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/output_file.h"

namespace {

// Texts are scanned a machine word at a time: eight bytes natively, four in
// the 32-bit build, where wider integers would take two registers each.
using Word = std::uintptr_t;
constexpr Word kOnes = ~Word{0} / 0xFF;
constexpr Word kHighBits = kOnes * 0x80;

// The top bit of each byte of word that is 0, and possibly of bytes above the
// lowest such one: subtracting 1 from each byte borrows into its top bit where
// the byte was 0 (or from the byte below). The lowest bit set is exact.
Word ZeroBytes(Word word)
{
    return (word - kOnes) & ~word & kHighBits;
}

Word LoadWord(const char* bytes)
{
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The number of bytes from source up to and including its first NUL, at most
// room; reads no byte at or past room.
std::size_t TextBytes(const char* source, std::size_t room)
{
    static_assert(std::endian::native == std::endian::little,
                  "TextBytes takes a loaded word's lowest zero byte for the first NUL in memory: "
                  "true only where the first byte loads into the word's low bits (little-endian)");
    std::size_t i = 0;
    for (; i + sizeof(Word) <= room; i += sizeof(Word)) {
        // Little-endian: the lowest zero byte holds the lowest bit set.
        const Word zeros = ZeroBytes(LoadWord(source + i));
        if (zeros != 0) {
            return i + static_cast<std::size_t>(std::countr_zero(zeros)) / 8 + 1;
        }
    }
    for (; i < room; ++i) {
        if (source[i] == '\0') {
            return i + 1;
        }
    }
    return room;
}

// Copies count bytes with fixed-size moves, the last one overlapping those
// before it, so that no byte past count is written and no length-driven byte
// loop runs.
void CopyBytes(char* target, const char* source, std::size_t count)
{
    if (count >= sizeof(Word)) {
        for (std::size_t i = 0; i + sizeof(Word) < count; i += sizeof(Word)) {
            std::memcpy(target + i, source + i, sizeof(Word));
        }
        std::memcpy(target + count - sizeof(Word), source + count - sizeof(Word), sizeof(Word));
    } else if (count >= 4) {
        std::memcpy(target, source, 4);
        std::memcpy(target + count - 4, source + count - 4, 4);
    } else if (count >= 2) {
        std::memcpy(target, source, 2);
        std::memcpy(target + count - 2, source + count - 2, 2);
    } else if (count == 1) {
        target[0] = source[0];
    }
}

// A NUL reaching the line is a space there: stored so as it is placed, the
// line needs no pass of its own at the end.
char LineByte(char byte)
{
    return byte == '\0' ? ' ' : byte;
}

}  // namespace

void ClearLine(ExtractionLine& line)
{
    std::memset(line.bytes, ' ', sizeof line.bytes);
}

void PlaceText(ExtractionLine& line, int column, const char* source, std::size_t available)
{
    const std::size_t room =
        std::min(available, static_cast<std::size_t>(kLineBufferSize - column));
    // The extent first, then the copy: both a word at a time, with no byte
    // loop but for the last few bytes of a text that fills its room.
    const std::size_t count = TextBytes(source, room);
    if (count == 0) {
        return;
    }
    char* target = line.bytes + column;
    CopyBytes(target, source, count);
    target[count - 1] = LineByte(source[count - 1]);
}

void PlaceTerminatedText(ExtractionLine& line, int column, const char* text)
{
    const auto room = static_cast<std::size_t>(kLineBufferSize - column);
    // The extent byte by byte, so that nothing past the NUL is read, and with
    // no store in the loop; then the copy as for any text, the NUL a space.
    std::size_t length = 0;
    while (length < room && text[length] != '\0') {
        ++length;
    }
    char* target = line.bytes + column;
    CopyBytes(target, text, length);
    if (length < room) {
        target[length] = ' ';
    }
}

void StoreStampBytes(ExtractionLine& line, const std::uint8_t* source,
                     const int (&offsets)[kStampColumns])
{
    for (int i = 0; i < kStampColumns; ++i) {
        line.bytes[F047 + i] = LineByte(static_cast<char>(source[offsets[i]]));
    }
}

void FinishLine(ExtractionLine& line)
{
    line.bytes[kLineColumns] = '\r';
    line.bytes[kLineColumns + 1] = '\n';
    line.bytes[kLineColumns + 2] = '\0';
}

bool WriteLine(OutputFile& output, const ExtractionLine& line)
{
    return output.Write(line.bytes, kLineBytesOnDisk);
}
