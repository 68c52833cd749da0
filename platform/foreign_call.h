// Calling an entry point of an outside library. Every argument is a 32-bit
// integer or an address, every result a 32-bit integer. On 32-bit Windows the
// library's calling convention is not documented: it may pop its own
// arguments (__stdcall) or leave that to the caller (__cdecl), so the call
// restores the stack pointer itself and works either way.
#pragma once

#include <cstdint>

#include "platform/module_loader.h"

using ForeignArg = std::uintptr_t;

// Calls proc with count arguments (1 to 4) taken from args, first argument first.
std::int32_t CallForeign(ModuleProc proc, const ForeignArg* args, int count);
