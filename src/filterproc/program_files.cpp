#include "filterproc/program_files.h"

#include <filesystem>

namespace mugwarp::filterproc {

namespace fs = std::filesystem;

std::string programPrefix(const std::string& executableDir) {
    std::error_code error;
    fs::path dir = fs::absolute(executableDir, error).lexically_normal();
    if (dir.has_parent_path() && !dir.has_filename()) dir = dir.parent_path();  // a trailing slash
    const fs::path parent = dir.parent_path();
    for (const fs::path& candidate : {parent, parent.parent_path()}) {
        if (fs::is_directory(candidate / "libexec" / "mugwarp", error)) return candidate.string();
    }
    return parent.string();
}

std::string executableDirectory() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : executable.parent_path().string();
}

std::string shippedDataFolder(const std::string& executableDir) {
    return programPrefix(executableDir) + "/share/mugwarp";
}

std::string shippedPluginFolder(const std::string& executableDir) {
    return programPrefix(executableDir) + "/lib/mugwarp/plugins";
}

std::string shippedRunnerFolder(const std::string& executableDir) {
    return programPrefix(executableDir) + "/libexec/mugwarp";
}

}  // namespace mugwarp::filterproc
