// Developer traces on Windows: the debugger's output, never the user's screen.
#include <windows.h>

#include "platform/debug_trace.h"

void DebugTrace(const char* text)
{
    OutputDebugStringA(text);
}
