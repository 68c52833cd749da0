// The flow that the version-4 and version-5 extractions share: with the log
// library held and the database open, create the output file, read, build and
// write the range of records, close everything, report, release the library.
#pragma once

#include <string>

#include "extract/operation_outcome.h"

class LogLibraryHold;
class Notifier;

// What became of one record.
enum class RecordLine {
    kUnreadable,  // the read failed
    kDropped,     // the mode does not keep it
    kBuilt,       // its line is finished and to be written
};

// What one kind of extraction supplies to the shared flow. It opens its
// database when it is made, from the caller's hold on the library, and closes
// it when it ends if the flow has not closed it before.
class RecordSource {
public:
    virtual ~RecordSource() = default;

    // Whether the database opened.
    virtual bool IsOpen() const = 0;
    virtual std::string OpenFailureMessage() const = 0;

    // Reads record n and, unless the mode drops it, builds its finished line
    // in the kLineBufferSize bytes at line, the mode's step taken.
    virtual RecordLine ReadRecord(int recordNumber, char* line) = 0;

    virtual void CloseDatabase() = 0;
};

// Runs records start to end inclusive into outputName. Reports every outcome
// through the notifier and returns it. The library is released here when the
// run has finished; when it stops early, the source and then the hold release
// what they hold as they end.
OperationOutcome RunExtraction(LogLibraryHold& library, RecordSource& source,
                               const char* outputName, int start, int end, Notifier& notifier);
