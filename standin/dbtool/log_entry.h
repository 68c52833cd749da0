// One contact of a text log, as tarvek_dbtool reads or generates it, and how
// its fields land in the two database formats of the stand-in.
#pragma once

#include <string>

#include "standin/database_writer.h"

// Field texts in code page 932, each at most as long as the line field it
// feeds, so that the extraction line shows it whole.
struct LogEntry {
    std::string callsign;     // F000
    std::string portable;     // F007, the designator after '/'
    std::string code;         // F010, JCC/JCG/town reference code
    std::string frequency;    // F016, MHz
    std::string mode;         // F022
    std::string rstSent;      // F029
    std::string name;         // F032
    std::string qsl;          // F044: via, sent, received ("JSR": the third column is the mark)
    std::string stamp;        // F047, "yy/mm/dd hh:mmJ"
    std::string rstReceived;  // F058
    std::string power;        // F061, watts
    std::string qth;          // F064
    std::string remarks;      // F092
    std::string memo;         // F146
};

// A column of the text source: its header name, the member it fills and the
// longest text it takes (in code page 932 bytes).
struct LogColumn {
    const char* name;
    std::string LogEntry::*field;
    int maxBytes;
};

inline constexpr int kLogColumnCount = 14;
extern const LogColumn kLogColumns[kLogColumnCount];

// The record image of "TARVEK.DBS"; false when a field is too long for it.
bool ToVersion4Image(const LogEntry& entry, Version4RecordImage& image);

// The record of "TARVEK.VDB": the leading text is the callsign, with "/" and
// the portable designator when there is one.
Version5RecordTexts ToVersion5Texts(const LogEntry& entry);
