// The help command of the program's dialogs. Window layer, Win32 only.
#pragma once

#include <windows.h>

// The user guides beside the program that the help command opens when there
// is no help file, and its message when it can open neither.
struct UserGuides {
    const char* webPage;            // opened first
    const char* text;               // opened when the page is missing or nothing opens it
    const char* cannotOpenMessage;  // "%1" stands for the web page's file name
};

// Opens the help file, the executable's path and name with ".HLP", at the
// given help context. Without that file, which Windows' help engine would
// need and which no longer comes with Windows anyway, it opens one of the
// user guides beside the program in the shell's default viewer. When neither
// opens, a message box owned by owner says so.
void ShowHelp(HWND owner, DWORD helpContext, const UserGuides& guides);
