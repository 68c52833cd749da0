// Checked binary output through the C runtime's streams.
#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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
    // The writers hand on whole buffers: the runtime's buffer would only copy
    // them once more. A stream that refuses to be unbuffered still works,
    // with its own buffer behind the writer's.
    (void)std::setvbuf(m_file, nullptr, _IONBF, 0);
    return true;
}

bool OutputFile::Write(const void* bytes, std::size_t count)
{
    if (!IsWritable()) {
        return false;
    }
    if (std::fwrite(bytes, 1, count, m_file) != count) {
        m_failed = true;
    }
    return !m_failed;
}

bool OutputFile::Close()
{
    if (m_file == nullptr) {
        return !m_failed;
    }
    // Flushed on its own first: the Windows runtime under Wine reports a failed
    // flush from fflush, but fclose still returns success.
    const bool flushed = !m_failed && std::fflush(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
        m_failed = true;
    }
    return !m_failed;
}
