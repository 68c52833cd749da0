// The Extraction button's check and dispatch.
#include "shell/extraction_command.h"

#include "extract/backup_copy.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"

bool IsValidRecordRange(int start, int end)
{
    return start != 0 && end != 0 && start <= end;
}

void RunModeExtraction(int mode, int start, int end, Notifier& notifier)
{
    switch (mode) {
        case kModeBackupCopy:
            CopyBackupRange(start, end, notifier);
            break;
        case kModeVersion4:
            ExtractVersion4(start, end, notifier);
            break;
        case kModeVersion5:
        case kModeJcc:
        case kModeJcg:
        case kModeTown:
            ExtractVersion5(start, end, mode, notifier);
            break;
        default:
            break;
    }
}
