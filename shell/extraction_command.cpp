// The Extraction button's check and dispatch.
#include "shell/extraction_command.h"

#include "extract/backup_copy.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"

bool IsValidRecordRange(int start, int end)
{
    return start != 0 && end != 0 && start <= end;
}

OperationOutcome RunModeExtraction(int mode, int start, int end, Notifier& notifier)
{
    switch (mode) {
        case kModeBackupCopy:
            return CopyBackupRange(start, end, notifier);
        case kModeVersion4:
            return ExtractVersion4(start, end, notifier);
        case kModeVersion5:
        case kModeJcc:
        case kModeJcg:
        case kModeTown:
            return ExtractVersion5(start, end, mode, notifier);
        default:
            return {};
    }
}
