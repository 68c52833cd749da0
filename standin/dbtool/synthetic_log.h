// A large, deterministic, varied synthetic log for benchmarks: Japanese
// callsigns and portable designators, city, ward, county and town codes,
// stamps, reports, bands and modes, and Japanese names and QTHs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "standin/dbtool/log_entry.h"

class SyntheticLog {
public:
    // The same seed gives the same log on every run and platform.
    explicit SyntheticLog(std::uint64_t seed);

    // The next contact; every field fits its column of the text source.
    LogEntry Next();

private:
    std::uint64_t Random();
    int Below(int bound);  // uniform in 0..bound-1
    const std::string& Pick(const std::vector<std::string>& texts);
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N])
    {
        return items[Below(static_cast<int>(N))];
    }
    std::string Callsign();
    std::string Code();
    std::string Stamp();
    std::string Decibels();

    std::uint64_t m_state;
    std::vector<std::string> m_names, m_qths, m_remarks;  // code page 932
};
