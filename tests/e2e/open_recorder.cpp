// Stands in for the viewer that the shell starts for a document in the
// end-to-end tests: registered as the program that opens the guides, it
// writes the path it was asked to open into the file its first argument
// names, so that a test can tell what the shell was asked to open.
#include <windows.h>

#include <fstream>
#include <string>

#include "platform/wide_text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 3) {
        return 2;
    }
    std::ofstream record(arguments[1], std::ios::binary | std::ios::trunc);
    record << Utf8FromWide(arguments[2]);
    return record ? 0 : 1;
}
