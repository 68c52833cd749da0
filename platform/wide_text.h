// Text at the Win32 boundary: the program keeps its own texts in UTF-8 and
// hands them to the wide-character API as UTF-16. Win32 only; both programs'
// boundaries use it.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
