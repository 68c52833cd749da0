// The executable's path and the program's title.
#include "window/program_title.h"

#include <windows.h>

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::size_t FileNameStart(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

std::size_t ExtensionStart(const std::wstring& path)
{
    const std::size_t dot = path.find_last_of(L'.');
    return dot == std::wstring::npos || dot < FileNameStart(path) ? std::wstring::npos : dot;
}

std::wstring ApplicationTitle()
{
    const std::wstring path = ExecutablePath();
    const std::size_t start = FileNameStart(path);
    const std::size_t extension = ExtensionStart(path);
    return path.substr(start,
                       extension == std::wstring::npos ? std::wstring::npos : extension - start);
}
