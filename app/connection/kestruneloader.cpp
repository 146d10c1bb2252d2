#include "connection/kestruneloader.h"

#include "core/kestruneapi.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace {

// Where the program's RUNPATH points: beside the executable (build tree,
// portable copy) and the installed program's private library folder.
constexpr const char* kRunpathFolders[] = {".", "../lib/logqvr"};

// dlopen honours the RUNPATH of its caller; when a sanitizer runtime
// intercepts dlopen the caller is that runtime, and $ORIGIN is lost. So look
// where $ORIGIN would have led.
void* openBesideExecutable(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return nullptr;
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return nullptr;
    for (const char* folder : kRunpathFolders) {
        const std::filesystem::path path = (exe.parent_path() / folder / name).lexically_normal();
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
        dlerror();
    }
    return nullptr;
}

} // namespace

namespace kestruneloader {

void* findExport(const std::string& libraryName, const char* exportName)
{
    void* handle = dlopen(libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        const std::string reason = why ? why : "unknown reason";
        handle = openBesideExecutable(libraryName);
        if (!handle)
            throw BindError("Cannot load the library " + libraryName + " for " + exportName + ": " +
                            reason);
    }
    dlerror();
    void* symbol = dlsym(handle, exportName);
    if (!symbol) {
        // Copy the reason first: dlclose frees the loader's error text.
        const char* why = dlerror();
        const std::string reason = why ? why : "null entry";
        dlclose(handle);
        throw BindError("Export " + std::string(exportName) + " not found in " + libraryName +
                        ": " + reason);
    }
    return symbol;
}

} // namespace kestruneloader
