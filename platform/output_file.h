// An output file opened for writing in binary mode, with every write and the
// close checked, so a full disk is noticed instead of reported as success.
// Other processes are not locked out while it is open.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // What is written is handed on in pieces of this size, and at the close.
    // Large pieces cost the file system less: 202 MB written into a new file
    // took 46 ms in pieces of 64 KiB, 39 to 43 ms in pieces of 256 KiB to
    // 1 MiB. Half a MiB ran the extractions fastest.
    static constexpr std::size_t kBufferSize = 1 << 19;

    // Creates the file, or empties an existing one. False when it cannot.
    bool Create(const char* name);

    // Writes all bytes; false once any write has failed.
    bool Write(const void* bytes, std::size_t count);

    // How many bytes the room holds.
    static constexpr std::size_t kRoomBytes = 256;

    // The room for the next bytes, at the end of what the buffer holds: the
    // caller writes them there and keeps them with Commit, so that they are
    // never copied. Only while the file is open, and up to the next call on
    // the file.
    char* Room() { return m_buffer.get() + m_used; }

    // Keeps the first count bytes of the room as written, count at most
    // kRoomBytes; false once any write has failed.
    bool Commit(std::size_t count)
    {
        m_used += count;
        return m_used < kBufferSize ? !m_failed && m_file != nullptr : WriteFullBuffer();
    }

    // Flushes and closes; false when anything written did not reach the file.
    bool Close();

    bool IsOpen() const { return m_file != nullptr; }

private:
    // Hands on the first kBufferSize bytes of the buffer, which Commit has
    // filled, and keeps what lies behind them.
    bool WriteFullBuffer();

    // Hands what the buffer holds to the stream; false once a write failed.
    bool Flush();

    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};
