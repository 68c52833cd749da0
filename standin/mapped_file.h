// A database file mapped read-only into memory, so that reading record n
// touches only that record's bytes. Part of the stand-in library.
#pragma once

#include <cstddef>
#include <cstdint>

// The end of what a 4-byte address reaches.
inline constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;

struct MappedFile {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
};

// Maps the whole file; false when it cannot be opened or mapped, or is empty.
// With belowFourGiB the mapping ends below 4 GiB, so that an address into it
// fits a 4-byte field; where the platform cannot promise that, mapping fails.
bool MapFile(const char* path, bool belowFourGiB, MappedFile& mapped);

void UnmapFile(const MappedFile& mapped);

// Lets the process's resident set give up the pages of the mapping it has
// read; a later read brings them back from the file. Without it a long run of
// reads keeps the whole file resident in the caller's process.
void ReleaseReadPages(const MappedFile& mapped);
