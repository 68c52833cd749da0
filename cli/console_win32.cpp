// The console boundary on Windows. A stream that is a console gets UTF-16
// through WriteConsoleW, so the Japanese messages show whatever the
// console's code page. A stream redirected to a file or a pipe gets the
// UTF-8 bytes, as the native build writes them, through the C runtime's text
// mode (line feeds as CR LF): batch jobs get the same text on every system
// locale, where the ANSI code page would differ. The arguments are read as
// UTF-16 and handed on as UTF-8.
#include <windows.h>
// After windows.h, which it needs: CommandLineToArgvW.
#include <shellapi.h>

#include <cstdio>

#include "cli/console.h"
#include "platform/wide_text.h"

namespace {

void Write(DWORD standardHandle, std::FILE* stream, std::string_view text)
{
    const HANDLE handle = GetStdHandle(standardHandle);
    DWORD consoleMode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
        GetConsoleMode(handle, &consoleMode)) {
        const std::wstring wide = WideFromUtf8(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void StandardConsole::Print(std::string_view text)
{
    Write(STD_OUTPUT_HANDLE, stdout, text);
}

void StandardConsole::PrintError(std::string_view text)
{
    Write(STD_ERROR_HANDLE, stderr, text);
}

void PrepareUnattendedRun()
{
    SetErrorMode(SEM_FAILCRITICALERRORS);
}

std::vector<std::string> ProgramArguments(int, char**)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}
