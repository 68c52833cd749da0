// The six entry points of TARVEK50.DLL, each declared once: its exported
// name and its parameters as the library's contract gives them (32-bit
// integers and addresses of memory the caller owns); every one returns a
// 32-bit integer. The binding derives its slots, their lookup and its typed
// calls from this list; the stand-in's build and the tests take the names
// from it. A header of its own, so that they need nothing else of loglib/.
#pragma once

#include <cstdint>

// Each line: the name, then the parameter types in parentheses; in the order
// the binding looks them up.
#define TARVEK_ENTRY_POINTS(X)                                      \
    X(TarvekOpen, (std::int32_t, void*, const char*, std::int32_t)) \
    X(TarvekClose, (void*, std::int32_t))                           \
    X(VKD_readv, (void*, std::int32_t, void*))                      \
    X(DbsDbrOpen, (void*, const char*))                             \
    X(DbsDbrClose, (void*))                                         \
    X(DbsDbrRead, (void*, std::int32_t))

#define TARVEK_ENTRY_POINT_NAME(name, parameters) #name,
inline constexpr const char* kEntryPointNames[] = {TARVEK_ENTRY_POINTS(TARVEK_ENTRY_POINT_NAME)};
#undef TARVEK_ENTRY_POINT_NAME
static_assert(sizeof(kEntryPointNames) / sizeof(kEntryPointNames[0]) == 6);
