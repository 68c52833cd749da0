// Building and writing the extraction line.
#include "extract/extraction_line.h"

#include <algorithm>
#include <cstring>

#include "platform/output_file.h"

namespace {

char g_line[kLineBufferSize];

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
    // Texts are short: one pass that copies and stops after the NUL costs
    // less than a search followed by a copy, two library calls per text.
    char* target = g_line + column;
    for (std::size_t i = 0; i < room; ++i) {
        target[i] = source[i];
        if (source[i] == '\0') {
            break;
        }
    }
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
