// POSIX module loading: dlopen with the search order of the Windows build
// (executable's folder, working directory, default search).
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/module_loader.h"

namespace {

std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    std::string folder(path, static_cast<std::size_t>(length));
    return folder.substr(0, folder.find_last_of('/') + 1);
}

ModuleHandle TryOpen(const std::string& path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

ModuleHandle LoadModule(const char* bareName)
{
    const std::string folder = ExecutableFolder();
    if (!folder.empty()) {
        if (ModuleHandle module = TryOpen(folder + bareName)) {
            return module;
        }
    }
    if (ModuleHandle module = TryOpen(std::string("./") + bareName)) {
        return module;
    }
    return TryOpen(bareName);
}

ModuleProc FindModuleProc(ModuleHandle module, const char* name)
{
    return dlsym(module, name);
}

void FreeModule(ModuleHandle module)
{
    dlclose(module);
}
