// The extraction line's layout: 200 fixed columns, then CR LF, built in 203
// bytes of which the first 202 are written. Every record of every extraction
// file is one such line.
#pragma once

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

// A line as it is built: the kLineBufferSize bytes at bytes, which the caller
// keeps, and how far the fast kit knows them blank. Every byte from blankFrom
// on is a space: a text placed there may store whole blocks or words, spaces
// behind its NUL, where elsewhere it must leave the bytes behind its NUL as
// they are. Only ClearLine makes a line known blank; the plain twin neither
// reads nor sets blankFrom.
struct ExtractionLine {
    char* bytes;
    int blankFrom = kLineBufferSize;
};
