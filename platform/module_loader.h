// Loading a shared library by bare file name and finding its entry points by
// plain name. Windows searches as LoadLibraryA does; POSIX tries the
// executable's folder, then the working directory, then the default search.
#pragma once

using ModuleHandle = void*;
using ModuleProc = void*;

// Returns nullptr when the module cannot be loaded.
ModuleHandle LoadModule(const char* bareName);

// Returns nullptr when the module does not export the name.
ModuleProc FindModuleProc(ModuleHandle module, const char* name);

void FreeModule(ModuleHandle module);
