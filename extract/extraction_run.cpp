// The shared extraction flow.
#include "extract/extraction_run.h"

#include <cstdint>
#include <string>

#include "extract/extraction_line.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "platform/output_file.h"

void RunExtraction(RecordSource& source, const char* outputName, int start, int end,
                   Notifier& notifier)
{
    if (LoadLogLibrary() == -1) {
        notifier.Show(kMsgLogLibraryCannotOpen);
        return;
    }
    if (!source.Open()) {
        notifier.Show(source.OpenFailureMessage());
        FreeLogLibrary();
        return;
    }
    OutputFile output;
    if (!output.Create(outputName)) {
        notifier.Show(std::string(outputName) + kMsgSuffixCannotCreate);
        source.Close();
        FreeLogLibrary();
        return;
    }

    // A 64-bit counter, so that an end of INT32_MAX still ends the loop.
    bool written = true;
    for (std::int64_t n = start; n <= end; ++n) {
        if (!source.ReadAndBuild(static_cast<int>(n))) {
            notifier.Show(kMsgRecordNumberUnreadable);
            break;
        }
        if (source.KeepLine() && !WriteLine(output)) {
            written = false;
            break;
        }
    }

    source.Close();
    written = output.Close() && written;
    // A file that did not reach the disk in full is never reported as finished.
    notifier.Show(written ? std::string(kMsgFinished)
                          : std::string(outputName) + kMsgSuffixCannotWrite);
    FreeLogLibrary();
}
