#include "filterproc/windows_libraries.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace mugwarp::filterproc {

namespace {

namespace fs = std::filesystem;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

void addFolder(std::set<std::string>& names, const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.insert(lowerCase(it->path().filename().string()));
}

// API sets are names Wine resolves itself to DLLs it has; no file bears them.
bool isApiSet(const std::string& lower) { return lower.starts_with("api-ms-") || lower.starts_with("ext-ms-"); }

}  // namespace

void WindowsLibraries::listFolders() const {
    listed_ = true;
    for (const std::string& folder : builtinFolders_) {
        std::error_code error;
        if (!fs::is_directory(folder, error)) continue;
        judged_ = true;
        addFolder(installed_, folder);
    }
    if (judged_ && !prefixFolder_.empty()) addFolder(installed_, prefixFolder_);
}

std::string WindowsLibraries::missingFor(const PIPLManager& entry) const {
    if (!listed_) listFolders();
    if (!judged_ || entry.importedLibraries.empty()) return {};
    std::set<std::string> beside;
    addFolder(beside, fs::path(entry.fileName).parent_path());
    for (const std::string& library : entry.importedLibraries) {
        const std::string lower = lowerCase(library);
        if (isApiSet(lower) || installed_.contains(lower) || beside.contains(lower)) continue;
        return "needs " + library + ", which is not installed.";
    }
    return {};
}

std::string moduleProblem(const PIPLManager& entry, const WindowsLibraries& libraries) {
    if (entry.moduleKind == ModuleKind::Native) return {};
    if (entry.dotNetAssembly) return ".NET filters cannot run here.";
    return libraries.missingFor(entry);
}

}  // namespace mugwarp::filterproc
