// POSIX: memory mapped below 4 GiB, so that addresses into it fit the
// version-5 record's 4-byte fields. x86-64 asks for it with MAP_32BIT; other
// 64-bit CPUs (arm64) have no such request, so addresses below 4 GiB are
// offered to mmap as hints, upward, until the mapping lands there. Used
// by the stand-in's file mapping and by the tests' low texts.
#pragma once

#include <sys/mman.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "standin/mapped_file.h"

// mmap(nullptr, size, protection, flags, fd, 0), placed so that it ends below
// 4 GiB, or MAP_FAILED.
inline void* MapBelowFourGiB(std::size_t size, int protection, int flags, int fd)
{
    const auto endsBelowFourGiB = [size](void* mapped) {
        return reinterpret_cast<std::uintptr_t>(mapped) + std::uint64_t{size} <= kFourGiB;
    };
#ifdef MAP_32BIT
    void* mapped = mmap(nullptr, size, protection, flags | MAP_32BIT, fd, 0);
    if (mapped != MAP_FAILED && !endsBelowFourGiB(mapped)) {
        munmap(mapped, size);
        return MAP_FAILED;
    }
    return mapped;
#else
    // A hint that is free is taken as it stands; one that is not moves the
    // mapping elsewhere, which is given back before the next hint. The next
    // call starts where this one's mapping ends (rounded up to any page
    // size), since a hint that was taken once is taken no more.
    constexpr std::uint64_t kHintStep = std::uint64_t{1} << 24;
    constexpr std::uint64_t kLargestPage = std::uint64_t{1} << 16;
    static std::atomic<std::uint64_t> nextHint{std::uint64_t{1} << 28};
    for (std::uint64_t hint = nextHint; hint + size <= kFourGiB; hint += kHintStep) {
        void* mapped = mmap(reinterpret_cast<void*>(hint), size, protection, flags, fd, 0);
        if (mapped == MAP_FAILED) {
            return mapped;
        }
        if (endsBelowFourGiB(mapped)) {
            const std::uint64_t end = reinterpret_cast<std::uintptr_t>(mapped) + size;
            nextHint = (end + kLargestPage - 1) / kLargestPage * kLargestPage;
            return mapped;
        }
        munmap(mapped, size);
    }
    return MAP_FAILED;
#endif
}
