// A text limit for edit fields counted in bytes of code page 932, where a
// double-byte character counts as two, as the program's record-number fields
// need. Window layer, Win32 only.
#pragma once

#include <windows.h>

#include <string>

// Makes the edit field refuse typed, pasted or composed input that would take
// its text beyond maxBytes; of a longer insertion, the characters that fit
// are kept. A composition counts once committed, never while it is being
// composed. A text that the program sets is never shortened. Calling it
// again replaces the limit.
void LimitEditBytes(HWND edit, int maxBytes);

// The whole text of the edit field.
std::wstring EditText(HWND edit);
