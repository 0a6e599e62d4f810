#include "pshost/module_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace mugwarp {

#ifdef _WIN32

bool ModuleLibrary::open(const std::string& path) {
    close();
    // No system error box for a file that is not a module.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    SetErrorMode(previous);
    error_ = handle_ ? std::string() : "error " + std::to_string(GetLastError());
    return handle_ != nullptr;
}

void* ModuleLibrary::symbol(const std::string& name) {
    if (!handle_) return nullptr;
    void* address = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
    if (!address) error_ = "no exported function " + name;
    return address;
}

void ModuleLibrary::close() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

#else

bool ModuleLibrary::open(const std::string& path) {
    close();
    // A bare name would be looked up on the library path; a module is a file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : "unknown error";
    }
    return handle_ != nullptr;
}

void* ModuleLibrary::symbol(const std::string& name) {
    if (!handle_) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name.c_str());
    if (!address) error_ = "no exported function " + name;
    return address;
}

void ModuleLibrary::close() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

#endif

}  // namespace mugwarp
