// What the main dialog's Extraction button runs once it has the two record
// numbers: the check of the range and the choice of the operation by mode
// number. Portable core code of the application shell.
#pragma once

class Notifier;

// The mode numbers that the settings file holds: the mode buttons set 1 to 5,
// only a hand-edited file holds 0 or 6 to 15.
inline constexpr int kModeBackupCopy = 0;
inline constexpr int kModeVer4 = 1;
inline constexpr int kModeVer5 = 2;
inline constexpr int kModeJcc = 3;
inline constexpr int kModeJcg = 4;
inline constexpr int kModeTown = 5;

// Whether the range may be extracted: both numbers non-zero and start not
// greater than end. Negative numbers, and numbers beyond the record count,
// pass.
bool IsValidRecordRange(int start, int end);

// Runs the operation of the mode on records (or, for mode 0, lines) start to
// end: 0 the backup range copy, 1 the version-4 extraction, 2 to 5 the
// version-5 extraction of that mode. Any other mode runs nothing and reports
// nothing.
void RunModeExtraction(int mode, int start, int end, Notifier& notifier);
