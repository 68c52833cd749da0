// Text-stream reading and writing over binary files.
#include "platform/text_stream.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kEndOfText = 0x1A;

}  // namespace

TextInputFile::~TextInputFile()
{
    Close();
}

bool TextInputFile::Open(const char* name)
{
    Close();
    m_ended = false;
    // The Windows runtime refuses to open a folder; the POSIX one opens it and
    // fails the reads. A folder is refused everywhere, so both builds agree.
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        return false;
    }
    m_file = std::fopen(name, "rb");
    return m_file != nullptr;
}

int TextInputFile::Get()
{
    if (m_ended || m_file == nullptr) {
        return EOF;
    }
    const int c = std::getc(m_file);
    if (c == EOF || c == kEndOfText) {
        m_ended = true;
        return EOF;
    }
    if (c != '\r') {
        return c;
    }
    const int next = std::getc(m_file);
    if (next == '\n') {
        return '\n';
    }
    if (next != EOF) {
        // One byte pushed back always fits.
        (void)std::ungetc(next, m_file);
    }
    return c;
}

std::size_t TextInputFile::ReadLine(char* buffer, std::size_t maxCharacters)
{
    std::size_t count = 0;
    while (count < maxCharacters) {
        const int c = Get();
        if (c == EOF) {
            break;
        }
        buffer[count++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    buffer[count] = '\0';
    return count;
}

void TextInputFile::Close()
{
    if (m_file != nullptr) {
        // A file that was only read has nothing to lose at its close.
        (void)std::fclose(m_file);
        m_file = nullptr;
    }
}

TextOutputFile::~TextOutputFile()
{
    Close();
}

bool TextOutputFile::Create(const char* name)
{
    Close();
    return m_file.Create(name);
}

bool TextOutputFile::Put(const char* bytes, std::size_t count)
{
    if (!m_file.IsWritable()) {
        return false;
    }
    // The buffer is filled to its end before it is handed on, so that the
    // file is written in whole blocks of its size, as the page cache likes.
    while (count > 0) {
        const std::size_t part = std::min(count, kBufferSize - m_used);
        std::memcpy(m_buffer.data() + m_used, bytes, part);
        m_used += part;
        bytes += part;
        count -= part;
        if (m_used == kBufferSize && !Flush()) {
            return false;
        }
    }
    return true;
}

bool TextOutputFile::Flush()
{
    const bool written = m_file.Write(m_buffer.data(), m_used);
    m_used = 0;
    return written;
}

bool TextOutputFile::Write(std::string_view text)
{
    for (std::size_t lineFeed = text.find('\n'); lineFeed != std::string_view::npos;
         lineFeed = text.find('\n')) {
        Put(text.data(), lineFeed);
        Put("\r\n", 2);
        text.remove_prefix(lineFeed + 1);
    }
    return Put(text.data(), text.size());
}

bool TextOutputFile::Close()
{
    // A failed write of the rest shows in the close's result.
    (void)Flush();
    return m_file.Close();
}
