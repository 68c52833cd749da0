// A line for developers, not for users: the debugger's output on Windows
// (OutputDebugString), the standard error stream elsewhere.
#pragma once

void DebugTrace(const char* text);
