// Windows module loading: the platform's own search order for a bare name.
#include <windows.h>

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
