// Checked binary output through the C runtime's streams.
#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>

namespace {

#ifdef O_BINARY
constexpr int kBinaryMode = O_BINARY;
#else
constexpr int kBinaryMode = 0;  // POSIX has no text mode to turn off
#endif

// Readable and writable, as fopen creates files: for everyone, less the
// umask, on POSIX; the Windows runtime takes only these two bits.
#ifdef _WIN32
constexpr int kNewFileMode = _S_IREAD | _S_IWRITE;
#else
constexpr int kNewFileMode = 0666;
#endif

// The stream of a file made new, or nullptr when a file of that name is there
// already (or cannot be made). A new file is not opened with truncation, as
// fopen's "wb" opens one: Wine truncates it to 0 bytes even when new, and
// ext4 writes out a file truncated to 0 bytes at its close, all of it at
// once, where it would otherwise write it in the background later.
std::FILE* CreateNewFile(const char* name)
{
    const int handle = open(name, O_WRONLY | O_CREAT | O_EXCL | kBinaryMode, kNewFileMode);
    if (handle < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(handle, "wb");
    if (file == nullptr) {
        close(handle);
    }
    return file;
}

}  // namespace

OutputFile::~OutputFile()
{
    Close();
}

bool OutputFile::Create(const char* name)
{
    Close();
    m_failed = false;
    m_file = CreateNewFile(name);
    if (m_file == nullptr) {
        m_file = std::fopen(name, "wb");
    }
    if (m_file == nullptr) {
        return false;
    }
    // The writes are gathered here and handed to an unbuffered stream a whole
    // buffer at a time: the runtime's write takes a lock and copies for every
    // call, which costs more than building a line. A stream that refuses to be
    // unbuffered still works, with its own buffer behind this one.
    if (!m_buffer) {
        // The room lies behind the buffer's kBufferSize bytes whenever they
        // are nearly full: the writes keep them less than full.
        m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize + kRoomBytes);
    }
    m_used = 0;
    (void)std::setvbuf(m_file, nullptr, _IONBF, 0);
    return true;
}

bool OutputFile::Flush()
{
    // Once a write has failed, nothing more is written: bytes after a gap
    // would land out of place.
    if (!m_failed && m_used != 0 && std::fwrite(m_buffer.get(), 1, m_used, m_file) != m_used) {
        m_failed = true;
    }
    m_used = 0;
    return !m_failed;
}

bool OutputFile::Write(const void* bytes, std::size_t count)
{
    if (m_failed || m_file == nullptr) {
        return false;
    }
    // The buffer is filled to its end before it is handed on, so that the
    // file is written in whole blocks of its size, as the page cache likes.
    const auto* from = static_cast<const char*>(bytes);
    while (count > 0) {
        const std::size_t part = std::min(count, kBufferSize - m_used);
        std::memcpy(m_buffer.get() + m_used, from, part);
        m_used += part;
        from += part;
        count -= part;
        if (m_used == kBufferSize && !Flush()) {
            return false;
        }
    }
    return true;
}

bool OutputFile::WriteFullBuffer()
{
    const std::size_t behind = m_used - kBufferSize;
    m_used = kBufferSize;
    if (m_failed || m_file == nullptr || !Flush()) {
        m_used = 0;
        return false;
    }
    std::memcpy(m_buffer.get(), m_buffer.get() + kBufferSize, behind);
    m_used = behind;
    return true;
}

bool OutputFile::Close()
{
    if (m_file == nullptr) {
        return !m_failed;
    }
    // Flushed on its own first: the Windows runtime under Wine reports a failed
    // flush from fflush, but fclose still returns success.
    const bool flushed = Flush() && std::fflush(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
        m_failed = true;
    }
    return !m_failed;
}
