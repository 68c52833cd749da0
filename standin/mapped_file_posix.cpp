// POSIX file mapping with mmap, below 4 GiB where asked (low_address_posix.h),
// which keeps addresses into it 4 bytes wide.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "standin/low_address_posix.h"
#include "standin/mapped_file.h"

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
        address = belowFourGiB ? MapBelowFourGiB(size, PROT_READ, MAP_PRIVATE, fd)
                               : mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    close(fd);  // the mapping keeps the file open
    if (address == MAP_FAILED) {
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
