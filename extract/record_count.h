// The record-count probe of the mode buttons.
#pragma once

class Notifier;

// The record count of the database that the mode reads (mode 1 "TARVEK.DBS",
// 2 and above "TARVEK.VDB"), exactly as the library reports it, or -1 when the
// library or the database cannot be opened, or for a mode of 0 or below.
int GetRecordCount(int mode, Notifier& notifier);
