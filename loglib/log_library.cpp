// Loading TARVEK50.DLL and calling its entry points.
#include "loglib/log_library.h"

#include <string>

#include "loglib/entry_points.h"
#include "platform/debug_trace.h"
#include "platform/foreign_call.h"
#include "platform/module_loader.h"

namespace {

// The process-wide binding: the module and one typed slot per entry point,
// valid from LoadLogLibrary to FreeLogLibrary and empty otherwise.
struct EntryPointSlots {
#define TARVEK_SLOT(name, parameters) ForeignFunction<std::int32_t parameters> name;
    TARVEK_ENTRY_POINTS(TARVEK_SLOT)
#undef TARVEK_SLOT
};

ModuleHandle g_logLibrary = nullptr;
EntryPointSlots g_entryPoints;

// Looks up one entry point into its slot; a missing one is named in the
// debug trace.
template <class Slot>
bool FindEntryPoint(ModuleHandle module, const char* name, Slot& slot)
{
    slot.Set(FindModuleProc(module, name));
    if (!slot.IsSet()) {
        const std::string trace =
            std::string(kLogLibraryFileName) + ": entry point " + name + " not found";
        DebugTrace(trace.c_str());
    }
    return slot.IsSet();
}

// Fills every slot, in the order of the list; false at the first one missing.
bool FindEntryPoints(ModuleHandle module, EntryPointSlots& slots)
{
#define TARVEK_FIND(name, parameters)                 \
    if (!FindEntryPoint(module, #name, slots.name)) { \
        return false;                                 \
    }
    TARVEK_ENTRY_POINTS(TARVEK_FIND)
#undef TARVEK_FIND
    return true;
}

}  // namespace

int LoadLogLibrary()
{
    ModuleHandle module = LoadModule(kLogLibraryFileName);
    if (module == nullptr) {
        return -1;
    }
    // A library without one of the entry points cannot serve any operation;
    // treating it as unloadable keeps every slot callable.
    EntryPointSlots found;
    if (!FindEntryPoints(module, found)) {
        FreeModule(module);
        return -1;
    }
    g_logLibrary = module;
    g_entryPoints = found;
    return 0;
}

void FreeLogLibrary()
{
    FreeModule(g_logLibrary);
    g_logLibrary = nullptr;
    // Nothing can call into the released library.
    g_entryPoints = {};
}

void LogLibraryHold::Release()
{
    if (m_loaded) {
        FreeLogLibrary();
        m_loaded = false;
    }
}

int CallDbsDbrOpen(Version4Context& context, const char* databaseName)
{
    return g_entryPoints.DbsDbrOpen(context.bytes, databaseName);
}

int CallDbsDbrRead(Version4Context& context, int recordNumber)
{
    return g_entryPoints.DbsDbrRead(context.bytes, recordNumber);
}

void CallDbsDbrClose(Version4Context& context)
{
    g_entryPoints.DbsDbrClose(context.bytes);
}

int CallTarvekOpen(Version5Context& context, const char* databaseName)
{
    return g_entryPoints.TarvekOpen(0, context.bytes, databaseName, 0);
}

int CallVkdReadv(Version5Context& context, int recordNumber, std::uint8_t* record)
{
    return g_entryPoints.VKD_readv(context.bytes, recordNumber, record);
}

void CallTarvekClose(Version5Context& context)
{
    g_entryPoints.TarvekClose(context.bytes, 0);
}

OpenVersion4Database::OpenVersion4Database(const LogLibraryHold& library)
    : m_open(library.IsLoaded() && CallDbsDbrOpen(m_context, kVersion4DatabaseName) == 0)
{
}

void OpenVersion4Database::Close()
{
    if (m_open) {
        CallDbsDbrClose(m_context);
        m_open = false;
    }
}

OpenVersion5Database::OpenVersion5Database(const LogLibraryHold& library)
    : m_open(library.IsLoaded() && CallTarvekOpen(m_context, kVersion5DatabaseName) == 0)
{
}

void OpenVersion5Database::Close()
{
    if (m_open) {
        CallTarvekClose(m_context);
        m_open = false;
    }
}
