// Loading TARVEK50.DLL, calling its entry points, and the record-count probe.
#include "loglib/log_library.h"

#include <string>

#include "loglib/mode_numbers.h"
#include "platform/debug_trace.h"
#include "platform/foreign_call.h"
#include "platform/module_loader.h"
#include "platform/notifier.h"

namespace {

// The six entry points, in the order they are looked up.
enum EntryPoint {
    kTarvekOpen,
    kTarvekClose,
    kVkdReadv,
    kDbsDbrOpen,
    kDbsDbrClose,
    kDbsDbrRead,
    kEntryPointCount
};

constexpr const char* kEntryPointNames[kEntryPointCount] = {
    "TarvekOpen", "TarvekClose", "VKD_readv", "DbsDbrOpen", "DbsDbrClose", "DbsDbrRead",
};

// The process-wide binding: valid from LoadLogLibrary to FreeLogLibrary.
ModuleHandle g_logLibrary = nullptr;
ModuleProc g_entryPoints[kEntryPointCount] = {};

ForeignArg AddressArg(const void* address)
{
    return reinterpret_cast<ForeignArg>(address);
}

// Integers travel as their 32-bit pattern, as the library expects.
ForeignArg IntArg(int value)
{
    return static_cast<std::uint32_t>(value);
}

int Call(EntryPoint entry, const ForeignArg* args, int count)
{
    return CallForeign(g_entryPoints[entry], args, count);
}

}  // namespace

int LoadLogLibrary()
{
    ModuleHandle module = LoadModule(kLogLibraryFileName);
    if (module == nullptr) {
        return -1;
    }
    ModuleProc found[kEntryPointCount];
    for (int entry = 0; entry < kEntryPointCount; ++entry) {
        found[entry] = FindModuleProc(module, kEntryPointNames[entry]);
        // A library without one of the entry points cannot serve any
        // operation; treating it as unloadable keeps every slot callable.
        if (found[entry] == nullptr) {
            const std::string trace = std::string(kLogLibraryFileName) + ": entry point " +
                                      kEntryPointNames[entry] + " not found";
            DebugTrace(trace.c_str());
            FreeModule(module);
            return -1;
        }
    }
    g_logLibrary = module;
    for (int entry = 0; entry < kEntryPointCount; ++entry) {
        g_entryPoints[entry] = found[entry];
    }
    return 0;
}

void FreeLogLibrary()
{
    FreeModule(g_logLibrary);
    g_logLibrary = nullptr;
}

int CallDbsDbrOpen(Version4Context& context, const char* databaseName)
{
    const ForeignArg args[] = {AddressArg(context.bytes), AddressArg(databaseName)};
    return Call(kDbsDbrOpen, args, 2);
}

int CallDbsDbrRead(Version4Context& context, int recordNumber)
{
    const ForeignArg args[] = {AddressArg(context.bytes), IntArg(recordNumber)};
    return Call(kDbsDbrRead, args, 2);
}

void CallDbsDbrClose(Version4Context& context)
{
    const ForeignArg args[] = {AddressArg(context.bytes)};
    Call(kDbsDbrClose, args, 1);
}

int CallTarvekOpen(Version5Context& context, const char* databaseName)
{
    const ForeignArg args[] = {IntArg(0), AddressArg(context.bytes), AddressArg(databaseName),
                               IntArg(0)};
    return Call(kTarvekOpen, args, 4);
}

int CallVkdReadv(Version5Context& context, int recordNumber, std::uint8_t* record)
{
    const ForeignArg args[] = {AddressArg(context.bytes), IntArg(recordNumber), AddressArg(record)};
    return Call(kVkdReadv, args, 3);
}

void CallTarvekClose(Version5Context& context)
{
    const ForeignArg args[] = {AddressArg(context.bytes), IntArg(0)};
    Call(kTarvekClose, args, 2);
}

int GetRecordCount(int mode, Notifier& notifier)
{
    if (LoadLogLibrary() == -1) {
        notifier.Show(kMsgLogLibraryCannotOpen);
        return -1;
    }
    int count = -1;
    if (mode == kModeVersion4) {
        Version4Context context = {};
        if (CallDbsDbrOpen(context, kVersion4DatabaseName) == 0) {
            count = ReadInt32Le(context.bytes + kVersion4CountOffset);
            CallDbsDbrClose(context);
        }
    } else if (mode >= kModeVersion5) {
        Version5Context context = {};
        if (CallTarvekOpen(context, kVersion5DatabaseName) == 0) {
            count = ReadInt32Le(context.bytes + kVersion5CountOffset);
            CallTarvekClose(context);
        }
    }
    FreeLogLibrary();
    return count;
}
