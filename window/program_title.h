// The executable's path, its parts, and from them the program's title: the
// caption of every message box. Window layer, Win32 only.
#pragma once

#include <cstddef>
#include <string>

// The executable's path and file name, as the system started it.
std::wstring ExecutablePath();

// Where the file name starts in path, and where its extension starts (or
// npos when it has none).
std::size_t FileNameStart(const std::wstring& path);
std::size_t ExtensionStart(const std::wstring& path);

// The executable's file name without directory and extension.
std::wstring ApplicationTitle();
