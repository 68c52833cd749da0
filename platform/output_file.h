// An output file opened for writing in binary mode, with every write and the
// close checked, so a full disk is noticed instead of reported as success.
// It keeps no buffer of its own: each write reaches the file as one piece,
// and each writer gathers its bytes in a buffer of the size its job needs.
// Other processes are not locked out while it is open.
#pragma once

#include <cstddef>
#include <cstdio>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, or empties an existing one. False when it cannot.
    bool Create(const char* name);

    // Writes all bytes as one piece; false when the file is not open or once
    // any write has failed. After a failed write nothing more is written:
    // bytes after a gap would land out of place.
    bool Write(const void* bytes, std::size_t count);

    // Flushes and closes; false when anything written did not reach the file.
    bool Close();

    bool IsOpen() const { return m_file != nullptr; }

    // Open, and no write has failed.
    bool IsWritable() const { return m_file != nullptr && !m_failed; }

private:
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};
