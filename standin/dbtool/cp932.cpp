// UTF-8 to code page 932 through glibc's iconv ("CP932": the Windows variant
// of Shift_JIS, with NEC and IBM extensions).
#include "standin/dbtool/cp932.h"

#include <stdexcept>

Cp932Converter::Cp932Converter() : m_descriptor(iconv_open("CP932", "UTF-8"))
{
    if (m_descriptor == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv has no conversion from UTF-8 to CP932");
    }
}

Cp932Converter::~Cp932Converter()
{
    iconv_close(m_descriptor);
}

bool Cp932Converter::Convert(const std::string& utf8, std::string& cp932)
{
    // Code page 932 never needs more bytes than UTF-8 for the same text.
    cp932.assign(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = cp932.data();
    std::size_t outLeft = cp932.size();
    iconv(m_descriptor, nullptr, nullptr, nullptr, nullptr);
    if (iconv(m_descriptor, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        return false;
    }
    cp932.resize(cp932.size() - outLeft);
    return true;
}
