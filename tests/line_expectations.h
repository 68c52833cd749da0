// Extraction lines for the tests: what a finished line holds, a line
// written out from its fields by the layout's rules, and the lines of a file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "extract/line_layout.h"
#include "tests/test_support.h"

// The 202 bytes that a write of the finished line at line puts on disk.
inline std::string FinishedLine(const char* line)
{
    return std::string(line, kLineBytesOnDisk);
}

inline std::string FinishedLine(const ExtractionLine& line)
{
    return FinishedLine(line.bytes);
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

// The lines of an extraction file; a file that is no whole number of 202-byte
// lines, or a line that does not end in CR LF, fails the test.
inline std::vector<std::string> OutputLines(const std::string& file)
{
    const std::string bytes = ReadFileBytes(file);
    EXPECT_EQ(0U, bytes.size() % kLineBytesOnDisk) << file;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at + kLineBytesOnDisk <= bytes.size(); at += kLineBytesOnDisk) {
        lines.push_back(bytes.substr(at, kLineBytesOnDisk));
        EXPECT_EQ("\r\n", lines.back().substr(kLineColumns)) << file;
    }
    return lines;
}

// The width bytes from column on of each line of an extraction file.
inline std::vector<std::string> LineFields(const std::string& file, int column, int width)
{
    std::vector<std::string> fields;
    for (const std::string& line : OutputLines(file)) {
        fields.push_back(
            line.substr(static_cast<std::size_t>(column), static_cast<std::size_t>(width)));
    }
    return fields;
}
