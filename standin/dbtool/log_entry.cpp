// The field mapping of tarvek_dbtool: which log field feeds which place of
// the version-4 record image and of the version-5 record.
#include "standin/dbtool/log_entry.h"

const LogColumn kLogColumns[kLogColumnCount] = {
    {"call", &LogEntry::callsign, 7},    {"portable", &LogEntry::portable, 3},
    {"stamp", &LogEntry::stamp, 15},     {"code", &LogEntry::code, 6},
    {"freq", &LogEntry::frequency, 6},   {"mode", &LogEntry::mode, 7},
    {"rst_sent", &LogEntry::rstSent, 3}, {"rst_rcvd", &LogEntry::rstReceived, 3},
    {"name", &LogEntry::name, 12},       {"qth", &LogEntry::qth, 28},
    {"qsl", &LogEntry::qsl, 3},          {"power", &LogEntry::power, 3},
    {"remarks", &LogEntry::remarks, 54}, {"memo", &LogEntry::memo, 54},
};

bool ToVersion4Image(const LogEntry& entry, Version4RecordImage& image)
{
    Version4RecordTexts texts;
    texts.f000 = entry.callsign;
    texts.f007 = entry.portable;
    texts.f010 = entry.code;
    texts.f016 = entry.frequency;
    texts.f022 = entry.mode;
    texts.f029 = entry.rstSent;
    texts.f032 = entry.name;
    texts.f044 = entry.qsl;
    texts.f047 = entry.stamp;
    texts.f058 = entry.rstReceived;
    texts.f061 = entry.power;
    texts.f064 = entry.qth;
    texts.f092 = entry.remarks;
    texts.f146 = entry.memo;
    return BuildVersion4RecordImage(texts, image);
}

Version5RecordTexts ToVersion5Texts(const LogEntry& entry)
{
    Version5RecordTexts texts;
    texts.leading = entry.portable.empty() ? entry.callsign : entry.callsign + "/" + entry.portable;
    texts.stamp = entry.stamp;
    texts.code = entry.code;
    texts.text44 = entry.frequency;
    texts.text51 = entry.qsl;
    texts.text57 = entry.rstReceived;
    // In the order of the address fields at 821, 825, ..., 845.
    texts.addressed[0] = entry.power;    // F061
    texts.addressed[1] = entry.mode;     // F022
    texts.addressed[2] = entry.rstSent;  // F029
    texts.addressed[3] = entry.name;     // F032
    texts.addressed[4] = entry.qth;      // F064
    texts.addressed[5] = entry.remarks;  // F092
    texts.addressed[6] = entry.memo;     // F146
    return texts;
}
