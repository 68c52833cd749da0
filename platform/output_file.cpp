// Checked binary output through the C runtime's streams.
#include "platform/output_file.h"

namespace {

// Large enough that a million-line extraction makes few system calls.
constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

OutputFile::~OutputFile()
{
    Close();
}

bool OutputFile::Create(const char* name)
{
    Close();
    m_failed = false;
    m_file = std::fopen(name, "wb");
    if (m_file == nullptr) {
        return false;
    }
    // The buffer is handed over rather than left to the runtime: given none,
    // glibc ignores the size asked for and buffers a single 4 KiB block.
    if (!m_buffer) {
        m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    }
    // A stream that refuses the buffer still works, with its own.
    (void)std::setvbuf(m_file, m_buffer.get(), _IOFBF, kBufferSize);
    return true;
}

bool OutputFile::Write(const void* bytes, std::size_t count)
{
    if (m_failed || m_file == nullptr) {
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
    const bool flushed = std::fflush(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
        m_failed = true;
    }
    return !m_failed;
}
