// Decimal conversion of a text as the C runtime's atoi does it: leading white
// space skipped, one optional sign, digits up to the first other character.
// A text without digits gives 0. There is no overflow check: the value wraps
// modulo 2^32 instead of being undefined.
#pragma once

#include <cstddef>

int ParseDecimal(const char* text, std::size_t length);
