// The record-count probe: the library held, the mode's database opened, its
// count read, all of it released.
#include "extract/record_count.h"

#include "extract/extraction_modes.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"

namespace {

// What a mode counts. A number above the table's, which only a hand-edited
// settings file holds, counts what the highest mode reads.
ModeSource CountedSource(int mode)
{
    const int counted = mode < kModeCount ? mode : kModeCount - 1;
    const ExtractionMode* row = FindExtractionMode(counted);
    return row == nullptr ? ModeSource::kBackupText : row->source;
}

}  // namespace

int GetRecordCount(int mode, Notifier& notifier)
{
    const LogLibraryHold library;
    if (!library.IsLoaded()) {
        notifier.Show(LogLibraryCannotOpenMessage());
        return -1;
    }
    switch (CountedSource(mode)) {
        case ModeSource::kVersion4Database: {
            const OpenVersion4Database database(library);
            return database.IsOpen() ? database.RecordCount() : -1;
        }
        case ModeSource::kVersion5Database: {
            const OpenVersion5Database database(library);
            return database.IsOpen() ? database.RecordCount() : -1;
        }
        case ModeSource::kBackupText:
            return -1;
    }
    return -1;
}
