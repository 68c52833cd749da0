// The settings file: the mode number kept between runs, as the 7 bytes
// "flag=", one digit and a carriage return, in the working directory. Portable
// core code of the application shell.
#pragma once

#include "extract/extraction_modes.h"

inline constexpr const char* kSettingsFileName = "tarvek_dconv.ini";
inline constexpr const char* kSettingsPrefix = "flag=";

// Version-5 extraction: the mode of a missing or unreadable settings file.
inline constexpr int kDefaultMode = kModeVersion5;

// The mode number: the low four bits of the file's sixth character, so 0 to
// 15. Five characters read give 0, fewer give the default mode; a file that
// cannot be opened is created holding the default mode. Never fails and
// never changes a file that exists.
int ReadSettings();

// Stores mode (0 to 5) as the file's whole content. Errors are not reported.
void WriteSettings(int mode);
