// The extractions that the timing programs run, shared by the native report
// and the clock program of both builds: each kind's mode and output file, one
// whole extraction, and the library's reads of the same records alone.
#pragma once

#include <string_view>

#include "extract/extraction_modes.h"

struct ExtractionKind {
    const char* name;   // on the command line
    const char* label;  // in the report
    int mode;
    const char* outputName;
};

inline constexpr ExtractionKind kExtractionKinds[] = {
    {"v4", "version 4", kModeVersion4, kExtractionModes[kModeVersion4].outputName},
    {"v5m2", "version 5 mode 2", kModeVersion5, kExtractionModes[kModeVersion5].outputName},
    {"v5m3", "version 5 mode 3 (JCC)", kModeJcc, kExtractionModes[kModeJcc].outputName},
    {"v5m4", "version 5 mode 4 (JCG)", kModeJcg, kExtractionModes[kModeJcg].outputName},
    {"v5m5", "version 5 mode 5 (town)", kModeTown, kExtractionModes[kModeTown].outputName},
};

// The kind of that name, or nullptr.
const ExtractionKind* FindExtractionKind(std::string_view name);

// Runs records 1 to count of the kind in the working directory; any other
// outcome than finished ends the program with status 2.
void Extract(const ExtractionKind& kind, int count);

// The library's share of an extraction: records 1 to count read through the
// binding, nothing built or written. A failure ends the program with status 2.
void ReadThroughLibrary(const ExtractionKind& kind, int count);

// Prints what failed to stderr and ends the program with status 2.
[[noreturn]] void FailTiming(std::string_view what);
