// 64-bit Windows: memory placed below 4 GiB, so that addresses into it fit
// the version-5 record's 4-byte fields. Windows has no request for low memory
// like the native build's MAP_32BIT, so the free stretches of the low address
// space are offered, lowest first, to a call that places memory at a chosen
// address. Used by the stand-in's file mapping and by the tests' low texts.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "standin/mapped_file.h"

// Calls place(address) at the start of each free stretch below 4 GiB that
// holds size bytes, lowest first, until one returns memory; nullptr when none
// does. place reserves at exactly that address or returns nullptr, as
// VirtualAlloc and MapViewOfFileEx do.
template <class Place>
void* PlaceBelowFourGiB(std::size_t size, Place place)
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    // A reservation starts on a multiple of the allocation granularity.
    const std::uint64_t granularity = system.dwAllocationGranularity;
    std::uint64_t at = reinterpret_cast<std::uintptr_t>(system.lpMinimumApplicationAddress);
    while (at < kFourGiB) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region) == 0) {
            return nullptr;
        }
        const std::uint64_t start = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
        const std::uint64_t end = std::min(start + region.RegionSize, kFourGiB);
        const std::uint64_t base = (start + granularity - 1) / granularity * granularity;
        if (region.State == MEM_FREE && base + size <= end) {
            // Another thread may have taken the stretch meanwhile: go on to the next.
            if (void* placed = place(reinterpret_cast<void*>(base))) {
                return placed;
            }
        }
        at = start + region.RegionSize;
    }
    return nullptr;
}
