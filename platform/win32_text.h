// Text at the Win32 boundary: the program keeps its own texts in UTF-8 and
// hands them to the wide-character API as UTF-16. Window layer, Win32 only.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The number of bytes the text takes in code page 932, where a double-byte
// character counts as two; a character that code page 932 lacks counts as one
// byte, the replacement character it would become.
int Cp932ByteCount(std::wstring_view wide);
