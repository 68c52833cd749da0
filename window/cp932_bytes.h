// The length of a text as the record-number fields count it: in bytes of
// code page 932. Window layer, Win32 only.
#pragma once

#include <string_view>

// The number of bytes the text takes in code page 932, where a double-byte
// character counts as two; a character that code page 932 lacks counts as one
// byte, the replacement character it would become. Should the conversion
// fail, each character counts as the most it could take.
int Cp932ByteCount(std::wstring_view wide);
