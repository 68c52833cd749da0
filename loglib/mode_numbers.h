// Mode numbers: what the Extraction button runs, as the settings file keeps
// it. The mode buttons set 1 to 5; only a hand-edited file holds 0 or 6 to 15.
// The record-count probe reads "TARVEK.DBS" for mode 1 and "TARVEK.VDB" for
// mode 2 and above.
#pragma once

inline constexpr int kModeBackupCopy = 0;
inline constexpr int kModeVersion4 = 1;
inline constexpr int kModeVersion5 = 2;
inline constexpr int kModeJcc = 3;
inline constexpr int kModeJcg = 4;
inline constexpr int kModeTown = 5;
