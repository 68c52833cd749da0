// The flow that the version-4 and version-5 extractions share: bind the log
// library, open the database, create the output file, read, build and write
// the range of records, close everything, report, release the library.
#pragma once

#include "extract/operation_outcome.h"

class Notifier;

// What one kind of extraction supplies to the shared flow.
class RecordSource {
public:
    virtual ~RecordSource() = default;

    // Opens the database; false when the library refuses.
    virtual bool Open() = 0;
    virtual const char* OpenFailureMessage() const = 0;

    // Reads record n and builds its line; false when the read fails.
    virtual bool ReadAndBuild(int recordNumber) = 0;

    // The mode's last step on the finished line: true to write it.
    virtual bool KeepLine() = 0;

    virtual void Close() = 0;
};

// Runs records start to end inclusive into outputName. Reports every outcome
// through the notifier, returns it, and leaves the library released.
OperationOutcome RunExtraction(RecordSource& source, const char* outputName, int start, int end,
                               Notifier& notifier);
