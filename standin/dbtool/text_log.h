// Reading the text source of tarvek_dbtool: UTF-8, one contact a line,
// TAB-separated columns named by a header line (README.md describes it).
#pragma once

#include <string>
#include <vector>

#include "standin/dbtool/log_entry.h"

// Reads every contact of the file, texts converted to code page 932. On
// failure returns false and says why in error ("file:line: ...").
bool ReadTextLog(const std::string& path, std::vector<LogEntry>& entries, std::string& error);
