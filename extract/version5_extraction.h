// Modes 2 to 5: records of a range of the version-5 database "TARVEK.VDB",
// all of them (mode 2) or those whose reference code passes the JCC (3), JCG
// (4) or town/village (5) test, each mode into its own file.
#pragma once

#include <cstdint>

#include "extract/operation_outcome.h"

class Notifier;
struct ExtractionMode;

// Builds the finished extraction line in the kLineBufferSize bytes at
// lineBytes from an 864-byte version-5 record. Every '/' among the record's
// first 203 bytes is first turned into NUL, in place, as the record's texts
// are split at their slashes.
void BuildVersion5Line(std::uint8_t* record, char* lineBytes);

// Whether the mode's filter accepts the line that BuildVersion5Line would
// build from record, told from the record's code alone and without changing
// it; true for a mode without a filter (mode 2).
bool PassesModeTest(const ExtractionMode& mode, const std::uint8_t* record);

// The mode's step on the finished line at line: runs its filter, marks
// column 46 and blanks F064 as the mode requires. True when the line is to be
// written.
bool ApplyModeStep(const ExtractionMode& mode, char* line);

// Extracts records start to end inclusive for a mode that reads the version-5
// database (2, 3, 4 or 5); every outcome is reported through the notifier and
// returned. Any other mode runs nothing.
OperationOutcome ExtractVersion5(int start, int end, const ExtractionMode& mode,
                                 Notifier& notifier);
