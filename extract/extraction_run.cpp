// The shared extraction flow.
#include "extract/extraction_run.h"

#include <cstdint>
#include <string>

#include "extract/extraction_line.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "platform/output_file.h"

OperationOutcome RunExtraction(RecordSource& source, const char* outputName, int start, int end,
                               Notifier& notifier)
{
    OperationOutcome outcome;
    if (LoadLogLibrary() == -1) {
        notifier.Show(kMsgLogLibraryCannotOpen);
        outcome.status = OutcomeStatus::kLogLibraryMissing;
        return outcome;
    }
    if (!source.Open()) {
        notifier.Show(source.OpenFailureMessage());
        FreeLogLibrary();
        outcome.status = OutcomeStatus::kDatabaseCannotOpen;
        return outcome;
    }
    OutputFile output;
    if (!output.Create(outputName)) {
        notifier.Show(std::string(outputName) + kMsgSuffixCannotCreate);
        source.Close();
        FreeLogLibrary();
        outcome.status = OutcomeStatus::kOutputCannotCreate;
        return outcome;
    }
    outcome.outputName = outputName;

    // A 64-bit counter, so that an end of INT32_MAX still ends the loop.
    bool written = true;
    bool readFailed = false;
    for (std::int64_t n = start; n <= end; ++n) {
        if (!source.ReadAndBuild(static_cast<int>(n))) {
            notifier.Show(kMsgRecordNumberUnreadable);
            readFailed = true;
            break;
        }
        ++outcome.itemsRead;
        if (source.KeepLine()) {
            if (!WriteLine(output)) {
                written = false;
                break;
            }
            ++outcome.linesWritten;
        }
    }

    source.Close();
    written = output.Close() && written;
    // A file that did not reach the disk in full is never reported as finished.
    if (written) {
        notifier.Show(kMsgFinished);
        outcome.status =
            readFailed ? OutcomeStatus::kFinishedAfterFailedRead : OutcomeStatus::kFinished;
    } else {
        notifier.Show(std::string(outputName) + kMsgSuffixCannotWrite);
        outcome.status = OutcomeStatus::kOutputCannotWrite;
    }
    FreeLogLibrary();
    return outcome;
}
