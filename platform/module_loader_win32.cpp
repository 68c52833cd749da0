// Windows module loading: the platform's own search order for a bare name.
#include <windows.h>
// windows.h defines FreeModule as a macro for FreeLibrary; ours is a function.
#undef FreeModule

#include "platform/module_loader.h"

ModuleHandle LoadModule(const char* bareName)
{
    return LoadLibraryA(bareName);
}

ModuleProc FindModuleProc(ModuleHandle module, const char* name)
{
    return reinterpret_cast<ModuleProc>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void FreeModule(ModuleHandle module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}
