// The backup range copy (mode 0): a range of lines of the text file
// "BAK0001.TXT" copied into "TARVEK_CONV_DATA.TXT". It does not use the log
// library.
#pragma once

#include "extract/operation_outcome.h"

class Notifier;

// Copies lines start to end inclusive, counted from 1, where a line is one
// read of at most 200 characters up to and including a line feed, so longer
// lines count as several. Either number may be negative. Reports through the
// notifier, and returns, the input missing, the output not created or not
// written, or finished once both files are closed.
OperationOutcome CopyBackupRange(int start, int end, Notifier& notifier);
