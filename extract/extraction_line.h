// The extraction line: 200 fixed columns, then CR LF, built in a buffer of
// 203 bytes and written with one string write. Every record of every
// extraction file is one such line.
#pragma once

#include <cstddef>
#include <cstdint>

class OutputFile;

inline constexpr int kLineBufferSize = 203;
inline constexpr int kLineColumns = 200;
inline constexpr int kLineBytesOnDisk = 202;

// Start columns of the line's fields; a field runs to the next one's start.
inline constexpr int F000 = 0;
inline constexpr int F007 = 7;
inline constexpr int F010 = 10;
inline constexpr int F016 = 16;
inline constexpr int F022 = 22;
inline constexpr int F029 = 29;
inline constexpr int F032 = 32;
inline constexpr int F044 = 44;
inline constexpr int F047 = 47;
inline constexpr int F058 = 58;
inline constexpr int F061 = 61;
inline constexpr int F064 = 64;
inline constexpr int F092 = 92;
inline constexpr int F146 = 146;

// The stamp field holds eleven single characters.
inline constexpr int kStampColumns = 11;
// The third column of F044 carries the mark of the filtered extractions.
inline constexpr int kMarkColumn = 46;
inline constexpr int kF064Width = F092 - F064;

// The bytes of one line as it is built; the extraction flow owns the one it
// builds every record in.
struct ExtractionLine {
    char bytes[kLineBufferSize];
};

// Every byte that a placement or the stamp would bring to the line as NUL is
// stored as a space instead, so that the line is final as it is built.

// Sets all 203 bytes to spaces.
void ClearLine(ExtractionLine& line);

// Copies the text at source, up to and including its first NUL (stored as a
// space), to the line from column on. Nothing is written past position 202:
// a longer text runs on into the following columns until the next placement
// overwrites them. source must have available readable bytes: bytes past the
// NUL may be read, though never more than available.
void PlaceText(ExtractionLine& line, int column, const char* source, std::size_t available);

// The same for a text of unknown extent, such as one that the log library
// owns: no byte past its NUL is read, and at most what the line has room for.
void PlaceTerminatedText(ExtractionLine& line, int column, const char* text);

// Stores the byte source[offsets[i]] into column F047 + i for each of the
// eleven stamp columns, whatever its value (NUL as a space). One call per
// line, not one per byte: the stamp is stored on every record.
void StoreStampBytes(ExtractionLine& line, const std::uint8_t* source,
                     const int (&offsets)[kStampColumns]);

// Ends the line with CR, LF and NUL.
void FinishLine(ExtractionLine& line);

// Writes the 202 bytes of the finished line; false when the write failed.
bool WriteLine(OutputFile& output, const ExtractionLine& line);
