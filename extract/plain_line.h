// The plain twin of the line's placements: the rules, byte by byte. It builds
// the line where the CPU has no SSE2 (or where the build forces it), and it
// is what the fast kit of extraction_line.h must match, byte for byte, on
// every line: the tests compare the two.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "extract/line_layout.h"

namespace plain_line {

// Every byte that a placement or the stamp would bring to the line as NUL is
// stored as a space instead, so that the line is final as it is built.
inline char LineByte(char byte)
{
    return byte == '\0' ? ' ' : byte;
}

// Sets all 203 bytes to spaces.
inline void ClearLine(ExtractionLine& line)
{
    std::memset(line.bytes, ' ', kLineBufferSize);
}

// Copies the text at source, up to and including its first NUL (stored as a
// space), to the line from column on. Nothing is written past position 202:
// a longer text runs on into the following columns until the next placement
// overwrites them. source must have available readable bytes: bytes past the
// NUL may be read, though never more than available.
inline void PlaceText(ExtractionLine& line, int column, const char* source, std::size_t available)
{
    const std::size_t room =
        std::min(available, static_cast<std::size_t>(kLineBufferSize - column));
    for (std::size_t i = 0; i < room; ++i) {
        line.bytes[column + i] = LineByte(source[i]);
        if (source[i] == '\0') {
            return;
        }
    }
}

// The same for a text of unknown extent, such as one that the log library
// owns: no byte past its NUL is placed, and at most what the line has room
// for. The fast kit may read bytes past the NUL within the page of one of
// the text's bytes, where no read can fault; this one reads none.
inline void PlaceTerminatedText(ExtractionLine& line, int column, const char* text)
{
    for (int i = column; i < kLineBufferSize; ++i) {
        line.bytes[i] = LineByte(text[i - column]);
        if (text[i - column] == '\0') {
            return;
        }
    }
}

// The stamp "yy/mm/dd hh:mmZ": the offsets of its eleven characters, which
// F047 holds without the separators.
inline constexpr int kStampCharacterOffsets[kStampColumns] = {0, 1, 3, 4, 6, 7, 9, 10, 12, 13, 14};

// Stores the stamp at stamp into F047, whatever its bytes (NUL as a space).
// The fast kit reads the byte after the stamp too, never placing it: the
// caller keeps it readable.
inline void StoreStamp(ExtractionLine& line, const std::uint8_t* stamp)
{
    for (int i = 0; i < kStampColumns; ++i) {
        line.bytes[F047 + i] = LineByte(static_cast<char>(stamp[kStampCharacterOffsets[i]]));
    }
}

// Ends the line with CR, LF and NUL.
inline void FinishLine(ExtractionLine& line)
{
    line.bytes[kLineColumns] = '\r';
    line.bytes[kLineColumns + 1] = '\n';
    line.bytes[kLineColumns + 2] = '\0';
}

}  // namespace plain_line
