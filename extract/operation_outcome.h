// What an operation of the Extraction button did, besides the messages it
// showed: how it ended and, once it has its output file, what went in and
// out. Callers decide on this value, never on the texts of the messages.
#pragma once

#include <cstdint>

enum class OutcomeStatus {
    kFinished,
    // A read failed part-way; the lines before it were written and closed.
    kFinishedAfterFailedRead,
    kLogLibraryMissing,
    kDatabaseCannotOpen,
    kOutputCannotCreate,
    kOutputCannotWrite,
    kBackupInputNotFound,
    // A mode number without an operation: nothing was run or shown.
    kNothingRun,
};

// What the read count counts: log records, or the backup copy's lines.
enum class ReadUnit { kRecords, kLines };

struct OperationOutcome {
    OutcomeStatus status = OutcomeStatus::kNothingRun;
    // The output file, once the operation has got as far as creating it.
    const char* outputName = nullptr;
    ReadUnit readUnit = ReadUnit::kRecords;
    std::int64_t linesWritten = 0;
    std::int64_t itemsRead = 0;
};

// True for the two ways of finishing, after which the output file is whole
// on disk.
inline bool Finished(const OperationOutcome& outcome)
{
    return outcome.status == OutcomeStatus::kFinished ||
           outcome.status == OutcomeStatus::kFinishedAfterFailedRead;
}
