// Calling an entry point of an outside library. Every argument is a 32-bit
// integer or an address, every result a 32-bit integer. On 32-bit Windows the
// library's calling convention is not documented: it may pop its own
// arguments (__stdcall) or leave that to the caller (__cdecl), so the call
// goes through a thunk that restores the stack pointer itself and works
// either way. Elsewhere, 64-bit Windows included, there is one convention,
// and the call is an ordinary call through a pointer of the entry point's own
// type.
#pragma once

#include <cstdint>

#include "platform/module_loader.h"

#if defined(_WIN32) && !defined(_WIN64)
#define TARVEK_FOREIGN_CALL_THUNK
#endif

#ifdef TARVEK_FOREIGN_CALL_THUNK
using ForeignArg = std::uintptr_t;

// Calls proc with count arguments (1 to 4) taken from args, first argument first.
std::int32_t CallForeign(ModuleProc proc, const ForeignArg* args, int count);

inline ForeignArg ToForeignArg(std::int32_t value)
{
    return static_cast<std::uint32_t>(value);
}

inline ForeignArg ToForeignArg(const void* address)
{
    return reinterpret_cast<ForeignArg>(address);
}
#endif

// The slot of one entry point, typed as its contract gives it, for example
// ForeignFunction<std::int32_t(void*, std::int32_t)>: a call with another
// number of arguments, or an argument of another kind, does not compile. An
// empty slot calls nothing and returns -1, a failure to every caller.
template <class Signature>
class ForeignFunction;

template <class... Parameters>
class ForeignFunction<std::int32_t(Parameters...)> {
public:
    void Set(ModuleProc proc) { m_proc = proc; }
    bool IsSet() const { return m_proc != nullptr; }

    std::int32_t operator()(Parameters... arguments) const
    {
        if (m_proc == nullptr) {
            return -1;
        }
#ifdef TARVEK_FOREIGN_CALL_THUNK
        const ForeignArg list[] = {ToForeignArg(arguments)...};
        return CallForeign(m_proc, list, static_cast<int>(sizeof...(Parameters)));
#else
        return reinterpret_cast<std::int32_t (*)(Parameters...)>(m_proc)(arguments...);
#endif
    }

private:
    ModuleProc m_proc = nullptr;
};
