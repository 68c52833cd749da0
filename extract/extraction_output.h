// The output file of an extraction: each line is built in the room at the
// end of the buffer and kept there, and the buffer is handed on to the file
// in large pieces, never copied on the way.
#pragma once

#include <cstddef>
#include <memory>
#ifdef TARVEK_CONTRACT_CHECKS
#include <cstdlib>
#endif

#include "platform/output_file.h"

class ExtractionOutput {
public:
    ExtractionOutput() = default;
    ~ExtractionOutput();
    ExtractionOutput(const ExtractionOutput&) = delete;
    ExtractionOutput& operator=(const ExtractionOutput&) = delete;

    // What is written is handed on in pieces of this size, and at the close.
    // Large pieces cost the file system less: 202 MB written into a new file
    // took 46 ms in pieces of 64 KiB, 39 to 43 ms in pieces of 256 KiB to
    // 1 MiB. Half a MiB ran the extractions fastest.
    static constexpr std::size_t kBufferSize = 1 << 19;

    // How many bytes the room holds.
    static constexpr std::size_t kRoomBytes = 256;

    // Creates the file, or empties an existing one. False when it cannot.
    bool Create(const char* name);

    // The room for the next bytes, at the end of what the buffer holds: the
    // caller writes them there and keeps them with Commit. Only while the
    // file is open, and up to the next call on the file.
    char* Room() { return m_buffer.get() + m_used; }

    // Keeps the first count bytes of the room as written, count at most
    // kRoomBytes; false when the file is not open or once any write has
    // failed.
    bool Commit(std::size_t count)
    {
#ifdef TARVEK_CONTRACT_CHECKS
        // More would have been written past the buffer's end.
        if (count > kRoomBytes) {
            std::abort();
        }
#endif
        m_used += count;
        return m_used < kBufferSize ? m_file.IsWritable() : WriteFullBuffer();
    }

    // Flushes and closes; false when anything written did not reach the file.
    bool Close();

private:
    // Hands on the first kBufferSize bytes of the buffer, which Commit has
    // filled, and keeps what lies behind them.
    bool WriteFullBuffer();

    OutputFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
};
