// Developer traces on POSIX: one line on stderr.
#include <cstdio>

#include "platform/debug_trace.h"

void DebugTrace(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}
