// Win32 file mapping. Every address of a 32-bit process fits a 4-byte field,
// so there the request for a low mapping needs nothing more; a 64-bit process
// places the view below 4 GiB itself.
#include <windows.h>

#include "standin/mapped_file.h"

#ifdef _WIN64
#include "standin/low_address_win32.h"
#endif

bool MapFile(const char* path, [[maybe_unused]] bool belowFourGiB, MappedFile& mapped)
{
    // Other processes may read, write or delete the file meanwhile, as with
    // the rest of the program's files.
    const HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    HANDLE mapping = nullptr;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= MAXDWORD) {
        mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    }
    CloseHandle(file);
    if (mapping == nullptr) {
        return false;
    }
    // The view keeps the mapping object, and with it the file, alive.
#ifdef _WIN64
    const void* view =
        belowFourGiB
            ? PlaceBelowFourGiB(static_cast<std::size_t>(size.QuadPart),
                                [mapping](void* at) {
                                    return MapViewOfFileEx(mapping, FILE_MAP_READ, 0, 0, 0, at);
                                })
            : MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
#else
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
#endif
    CloseHandle(mapping);
    if (view == nullptr) {
        return false;
    }
    mapped.bytes = static_cast<const std::uint8_t*>(view);
    mapped.size = static_cast<std::size_t>(size.QuadPart);
    return true;
}

void UnmapFile(const MappedFile& mapped)
{
    UnmapViewOfFile(mapped.bytes);
}

void ReleaseReadPages(const MappedFile& mapped)
{
    // Unlocking pages that are not locked removes them from the working set.
    VirtualUnlock(const_cast<std::uint8_t*>(mapped.bytes), mapped.size);
}
