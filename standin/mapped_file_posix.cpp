// POSIX file mapping with mmap. On x86-64, MAP_32BIT places the mapping in the
// low 2 GiB (in practice a 1 GiB window), which keeps addresses into it 4 bytes wide.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "standin/mapped_file.h"

namespace {

int LowMappingFlag()
{
#ifdef MAP_32BIT
    return MAP_32BIT;
#else
    return 0;
#endif
}

bool EndsBelowFourGiB(const void* address, std::size_t size)
{
    return reinterpret_cast<std::uintptr_t>(address) + std::uint64_t{size} <= kFourGiB;
}

}  // namespace

bool MapFile(const char* path, bool belowFourGiB, MappedFile& mapped)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    const bool sized = fstat(fd, &status) == 0 && status.st_size > 0;
    void* address = MAP_FAILED;
    const std::size_t size = sized ? static_cast<std::size_t>(status.st_size) : 0;
    if (sized) {
        const int flags = MAP_PRIVATE | (belowFourGiB ? LowMappingFlag() : 0);
        address = mmap(nullptr, size, PROT_READ, flags, fd, 0);
    }
    close(fd);  // the mapping keeps the file open
    if (address == MAP_FAILED) {
        return false;
    }
    // Without MAP_32BIT (other 64-bit targets) the kernel may place it anywhere.
    if (belowFourGiB && !EndsBelowFourGiB(address, size)) {
        munmap(address, size);
        return false;
    }
    // Records are read in ascending order: let the kernel read ahead.
    madvise(address, size, MADV_SEQUENTIAL);
    mapped.bytes = static_cast<const std::uint8_t*>(address);
    mapped.size = size;
    return true;
}

void UnmapFile(const MappedFile& mapped)
{
    munmap(const_cast<std::uint8_t*>(mapped.bytes), mapped.size);
}

void ReleaseReadPages(const MappedFile& mapped)
{
    // A private mapping that was never written: its pages are only dropped.
    madvise(const_cast<std::uint8_t*>(mapped.bytes), mapped.size, MADV_DONTNEED);
}
