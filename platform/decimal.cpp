// The runtime's decimal conversion, with a defined result on overflow.
#include "platform/decimal.h"

#include <cstdint>

namespace {

// Only the ASCII white-space bytes count; bytes 0x80 and above never do.
bool IsWhiteSpace(unsigned char byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

bool IsDigit(unsigned char byte)
{
    return byte >= '0' && byte <= '9';
}

}  // namespace

int ParseDecimal(const char* text, std::size_t length)
{
    std::size_t i = 0;
    while (i < length && IsWhiteSpace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    while (i < length && IsDigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10U + static_cast<std::uint32_t>(text[i] - '0');
        ++i;
    }
    return static_cast<int>(negative ? 0U - value : value);
}
