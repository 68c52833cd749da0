// The text source reader of tarvek_dbtool. Blank lines and lines starting
// with '#' are skipped; the first other line names the columns.
#include "standin/dbtool/text_log.h"

#include <fstream>

#include "standin/dbtool/cp932.h"

namespace {

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> cells(1);
    for (char c : line) {
        if (c == '\t') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

const LogColumn* FindColumn(const std::string& name)
{
    for (const LogColumn& column : kLogColumns) {
        if (name == column.name) {
            return &column;
        }
    }
    return nullptr;
}

// The columns of the header line, in file order; false on an unknown or
// repeated name.
bool ReadHeader(const std::string& line, std::vector<const LogColumn*>& columns,
                std::string& problem)
{
    for (const std::string& name : SplitTabs(line)) {
        const LogColumn* column = FindColumn(name);
        if (column == nullptr) {
            problem = "unknown column '" + name + "'";
            return false;
        }
        for (const LogColumn* seen : columns) {
            if (seen == column) {
                problem = "column '" + name + "' named twice";
                return false;
            }
        }
        columns.push_back(column);
    }
    return true;
}

bool ReadEntry(const std::string& line, const std::vector<const LogColumn*>& columns,
               Cp932Converter& converter, LogEntry& entry, std::string& problem)
{
    const std::vector<std::string> cells = SplitTabs(line);
    if (cells.size() > columns.size()) {
        problem = "more cells than columns";
        return false;
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const LogColumn& column = *columns[i];
        std::string& text = entry.*column.field;
        if (!converter.Convert(cells[i], text)) {
            problem = std::string("column '") + column.name + "' is not convertible to CP932";
            return false;
        }
        if (text.size() > static_cast<std::size_t>(column.maxBytes)) {
            problem = std::string("column '") + column.name + "' has " +
                      std::to_string(text.size()) + " bytes in CP932, at most " +
                      std::to_string(column.maxBytes);
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadTextLog(const std::string& path, std::vector<LogEntry>& entries, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be opened";
        return false;
    }
    Cp932Converter converter;
    std::vector<const LogColumn*> columns;
    std::string line;
    std::string problem;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        bool ok = true;
        if (columns.empty()) {
            ok = ReadHeader(line, columns, problem);
        } else {
            ok = ReadEntry(line, columns, converter, entries.emplace_back(), problem);
        }
        if (!ok) {
            error = path + ":" + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
    }
    if (columns.empty()) {
        error = path + ": no header line";
        return false;
    }
    return true;
}
