// The code page 932 byte count of a wide text, through the Win32 API.
#include "window/cp932_bytes.h"

#include <windows.h>

namespace {

constexpr UINT kCodePage932 = 932;

}  // namespace

int Cp932ByteCount(std::wstring_view wide)
{
    if (wide.empty()) {
        return 0;
    }
    return WideCharToMultiByte(kCodePage932, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                               0, nullptr, nullptr);
}
