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
    const void* end = std::memchr(source, '\0', room);
    const std::size_t count =
        end == nullptr ? room
                       : static_cast<std::size_t>(static_cast<const char*>(end) - source) + 1;
    std::memcpy(g_line + column, source, count);
}

void StoreByte(int column, char byte)
{
    g_line[column] = byte;
}

void FinishLine()
{
    std::replace(g_line, g_line + kLineBufferSize, '\0', ' ');
    g_line[kLineColumns] = '\r';
    g_line[kLineColumns + 1] = '\n';
    g_line[kLineColumns + 2] = '\0';
}

bool WriteLine(OutputFile& output)
{
    return output.Write(g_line, kLineBytesOnDisk);
}
