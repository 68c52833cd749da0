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

    // Creates the file, or empties an existing one. False when it cannot.
    bool Create(const char* name);

    // Writes all bytes; false once any write has failed.
    bool Write(const void* bytes, std::size_t count);

    // Flushes and closes; false when anything written did not reach the file.
    bool Close();

    bool IsOpen() const { return m_file != nullptr; }

private:
    // Hands what the buffer holds to the stream; false once a write failed.
    bool Flush();

    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};
