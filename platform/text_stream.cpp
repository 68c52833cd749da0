// Text-stream reading and writing over binary files.
#include "platform/text_stream.h"

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

bool TextOutputFile::Write(std::string_view text)
{
    for (std::size_t lineFeed = text.find('\n'); lineFeed != std::string_view::npos;
         lineFeed = text.find('\n')) {
        m_file.Write(text.data(), lineFeed);
        m_file.Write("\r\n", 2);
        text.remove_prefix(lineFeed + 1);
    }
    return m_file.Write(text.data(), text.size());
}
