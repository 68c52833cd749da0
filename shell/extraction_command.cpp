// The Extraction button's check and dispatch.
#include "shell/extraction_command.h"

#include "extract/backup_copy.h"
#include "extract/extraction_modes.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"

bool IsValidRecordRange(int start, int end)
{
    return start != 0 && end != 0 && start <= end;
}

OperationOutcome RunModeExtraction(int mode, int start, int end, Notifier& notifier)
{
    const ExtractionMode* row = FindExtractionMode(mode);
    if (row == nullptr) {
        return {};
    }
    switch (row->source) {
        case ModeSource::kBackupText:
            return CopyBackupRange(start, end, notifier);
        case ModeSource::kVersion4Database:
            return ExtractVersion4(start, end, notifier);
        case ModeSource::kVersion5Database:
            return ExtractVersion5(start, end, *row, notifier);
    }
    return {};
}
