// Text streams as the Windows runtime keeps them, done once over files opened
// in binary mode so that every build reads and writes the same bytes. Reading
// delivers CR LF as LF, keeps a bare CR, and ends at a byte 0x1A; writing
// stores each LF as CR LF and every other byte unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string_view>

#include "platform/output_file.h"

// A file read as a text stream. Other processes are not locked out.
class TextInputFile {
public:
    TextInputFile() = default;
    ~TextInputFile();
    TextInputFile(const TextInputFile&) = delete;
    TextInputFile& operator=(const TextInputFile&) = delete;

    // False when the file cannot be opened for reading.
    bool Open(const char* name);

    // Reads characters into buffer up to and including the next line feed,
    // but at most maxCharacters of them, and puts a NUL after them; buffer
    // holds maxCharacters + 1 bytes. Returns the number of characters read:
    // 0 at the end of the input (or after a read error).
    std::size_t ReadLine(char* buffer, std::size_t maxCharacters);

    void Close();

private:
    // The next character after the text rules, or EOF at the end of the input.
    int Get();

    std::FILE* m_file = nullptr;
    bool m_ended = false;
};

// A file written as a text stream, every write and the close checked.
class TextOutputFile {
public:
    // What is written is handed on in pieces of this size, and at the close:
    // the texts are small (the settings file, a range of backup lines), and
    // so the buffer lives in the object instead of on the heap.
    static constexpr std::size_t kBufferSize = 4096;

    TextOutputFile() = default;
    ~TextOutputFile();
    TextOutputFile(const TextOutputFile&) = delete;
    TextOutputFile& operator=(const TextOutputFile&) = delete;

    // Creates the file, or empties an existing one. False when it cannot.
    bool Create(const char* name);

    // Writes text with each line feed stored as CR LF; false when the file is
    // not open or once any write has failed.
    bool Write(std::string_view text);

    // False when anything written did not reach the file.
    bool Close();

private:
    // Gathers the bytes, handing on the buffer whenever it is full.
    bool Put(const char* bytes, std::size_t count);

    // Hands on what the buffer holds; false once a write has failed.
    bool Flush();

    OutputFile m_file;
    std::array<char, kBufferSize> m_buffer;
    std::size_t m_used = 0;
};
