// The code page 932 byte count of a wide text, through the Win32 API.
#include "window/cp932_bytes.h"

#include <windows.h>

namespace {

constexpr UINT kCodePage932 = 932;

// No character takes more than two bytes in code page 932, and only the
// 7-bit ones are sure to take one: a count that cannot be short.
int LongestCp932ByteCount(std::wstring_view wide)
{
    int bytes = 0;
    for (const wchar_t unit : wide) {
        bytes += unit < 0x80 ? 1 : 2;
    }
    return bytes;
}

}  // namespace

int Cp932ByteCount(std::wstring_view wide)
{
    if (wide.empty()) {
        return 0;
    }
    const int bytes = WideCharToMultiByte(
        kCodePage932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    // A failed conversion must not let a text pass a limit as if it were
    // shorter than it is.
    return bytes > 0 ? bytes : LongestCp932ByteCount(wide);
}
