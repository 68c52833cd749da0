// Expected extraction lines for the tests: what a finished line
// holds, and a line written out from its fields by the layout's rules.
#pragma once

#include <string>
#include <utility>

#include "extract/extraction_line.h"

// The 202 bytes that a write of the finished line puts on disk.
inline std::string FinishedLine(const ExtractionLine& line)
{
    return std::string(line.bytes, kLineBytesOnDisk);
}

// A line holding each text from its column on, spaces elsewhere, and CR LF.
inline std::string ExpectedLine(std::initializer_list<std::pair<int, std::string>> fields)
{
    std::string line(kLineColumns, ' ');
    for (const auto& [column, text] : fields) {
        line.replace(static_cast<std::size_t>(column), text.size(), text);
    }
    return line + "\r\n";
}
