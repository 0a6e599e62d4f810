#pragma once
#include <string>

namespace mugwarp {

// A loaded module and its exported symbols: the one place that talks to the
// platform's loader. Loading is local to the module (its symbols do not leak
// into other modules); the module is released with the object.
class ModuleLibrary {
public:
    ModuleLibrary() = default;
    ~ModuleLibrary() { close(); }
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // False, with error() telling why, when the file cannot be loaded.
    bool open(const std::string& path);
    // The exported function of that name, or nothing (error() tells why).
    void* symbol(const std::string& name);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace mugwarp
