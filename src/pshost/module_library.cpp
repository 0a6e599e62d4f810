#include "pshost/module_library.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "pshost/pe_imports.h"
#else
#include <dlfcn.h>
#endif

namespace mugwarp {

#ifdef _WIN32

namespace {

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A module's own DLLs lie beside it: with a full path the loader then looks
// in its folder first, as Windows does for a module loaded so (a plain load
// would search only the runner's folder and the system's).
HMODULE loadBesideItsFolder(const std::string& path) {
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Which DLL the module imports that cannot be loaded (itself missing, or a
// DLL it needs in turn): the loader's own error names none.
std::string missingImport(const std::string& path) {
    const auto imports = readPeImports(readFileBytes(path));
    if (!imports) return {};
    const std::string folder = folderOf(path);
    for (const std::string& library : imports->libraries) {
        const std::string beside = folder + library;
        const DWORD attributes = GetFileAttributesA(beside.c_str());
        const bool besideIt = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        HMODULE probe = besideIt ? loadBesideItsFolder(beside) : LoadLibraryA(library.c_str());
        if (probe) {
            FreeLibrary(probe);
            continue;
        }
        return besideIt ? library + " beside it cannot be loaded (a DLL it needs is missing)"
                        : "it needs " + library + ", which is neither beside it nor installed";
    }
    return {};
}

}  // namespace

bool ModuleLibrary::open(const std::string& path) {
    close();
    // No system error box for a file that is not a module.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = reinterpret_cast<void*>(loadBesideItsFolder(path));
    const DWORD code = handle_ ? 0 : GetLastError();
    error_.clear();
    if (code == ERROR_MOD_NOT_FOUND) error_ = missingImport(path);
    SetErrorMode(previous);
    if (!handle_ && error_.empty()) error_ = "error " + std::to_string(code);
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
