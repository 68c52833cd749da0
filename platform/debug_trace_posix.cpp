// Developer traces on POSIX: one line on stderr.
#include <cstdio>

#include "platform/debug_trace.h"

void DebugTrace(const char* text)
{
    // A trace that cannot be written is lost; nothing depends on it.
    (void)std::fprintf(stderr, "%s\n", text);
}
