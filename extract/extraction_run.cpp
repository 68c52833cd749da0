// The shared extraction flow.
#include "extract/extraction_run.h"

#include <cstdint>
#include <string>

#include "extract/extraction_output.h"
#include "extract/extraction_texts.h"
#include "extract/line_layout.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"

namespace {

// Every line is built where it is written, in the room at the end of the
// output file's buffer: built apart and then copied there, the lines took up
// to a tenth more of an extraction's own time.
static_assert(ExtractionOutput::kRoomBytes >= kLineBufferSize);

OperationOutcome Stopped(OutcomeStatus status)
{
    OperationOutcome outcome;
    outcome.status = status;
    return outcome;
}

// Reads, builds and writes records start to end, counted into the outcome,
// until a read fails (reported here) or a write does. How the records ended:
// finished, finished after a failed read, or not written.
OutcomeStatus WriteRecords(RecordSource& source, ExtractionOutput& output, int start, int end,
                           Notifier& notifier, OperationOutcome& outcome)
{
    // A 64-bit counter, so that an end of INT32_MAX still ends the loop.
    for (std::int64_t n = start; n <= end; ++n) {
        const RecordLine record = source.ReadRecord(static_cast<int>(n), output.Room());
        if (record == RecordLine::kUnreadable) {
            notifier.Show(kMsgRecordNumberUnreadable);
            return OutcomeStatus::kFinishedAfterFailedRead;
        }
        ++outcome.itemsRead;
        if (record == RecordLine::kBuilt) {
            if (!output.Commit(kLineBytesOnDisk)) {
                return OutcomeStatus::kOutputCannotWrite;
            }
            ++outcome.linesWritten;
        }
    }
    return OutcomeStatus::kFinished;
}

}  // namespace

OperationOutcome RunExtraction(LogLibraryHold& library, RecordSource& source,
                               const char* outputName, int start, int end, Notifier& notifier)
{
    if (!library.IsLoaded()) {
        notifier.Show(LogLibraryCannotOpenMessage());
        return Stopped(OutcomeStatus::kLogLibraryMissing);
    }
    if (!source.IsOpen()) {
        notifier.Show(source.OpenFailureMessage());
        return Stopped(OutcomeStatus::kDatabaseCannotOpen);
    }
    ExtractionOutput output;
    if (!output.Create(outputName)) {
        notifier.Show(FileMessage(outputName, kMsgSuffixCannotCreate));
        return Stopped(OutcomeStatus::kOutputCannotCreate);
    }
    OperationOutcome outcome;
    outcome.outputName = outputName;
    const OutcomeStatus records = WriteRecords(source, output, start, end, notifier, outcome);
    source.CloseDatabase();
    // A file that did not reach the disk in full is never reported as finished.
    outcome.status = output.Close() ? records : OutcomeStatus::kOutputCannotWrite;
    notifier.Show(Finished(outcome) ? std::string(kMsgFinished)
                                    : FileMessage(outputName, kMsgSuffixCannotWrite));
    library.Release();
    return outcome;
}
