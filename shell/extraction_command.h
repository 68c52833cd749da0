// What the main dialog's Extraction button runs once it has the two record
// numbers: the check of the range and the choice of the operation by mode
// number. Portable core code of the application shell.
#pragma once

#include "extract/operation_outcome.h"

class Notifier;

// Whether the range may be extracted: both numbers non-zero and start not
// greater than end. Negative numbers, and numbers beyond the record count,
// pass.
bool IsValidRecordRange(int start, int end);

// Runs the operation of the mode on records (or, for the backup copy, lines)
// start to end: the one that reads the mode's source; returns its outcome. A
// number that names no mode runs nothing and reports nothing.
OperationOutcome RunModeExtraction(int mode, int start, int end, Notifier& notifier);
