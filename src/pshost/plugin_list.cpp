#include "pshost/plugin_list.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

#include "pshost/host_memory.h"
#include "pshost/module_resources.h"

namespace mugwarp {

namespace fs = std::filesystem;

namespace {

bool hasModuleExtension(const fs::path& path) {
    const std::string name = path.filename().string();
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".8bf";
}

// Zero-terminated text starting 2 bytes into a legacy resource.
std::string legacyText(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() <= 2) return {};
    const auto* start = reinterpret_cast<const char*>(bytes.data()) + 2;
    return std::string(start, strnlen(start, bytes.size() - 2));
}

}  // namespace

PSPluginList::~PSPluginList() {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if ((*it)->pluginData != 0) HostMemory::instance().disposeIfHandle(reinterpret_cast<char**>((*it)->pluginData));
    }
}

void PSPluginList::scanDirectory(const std::string& directory, bool includeSubdirectories) {
    std::set<fs::path> visited;
    scanFolder(directory, includeSubdirectories, visited, nullptr);
}

// Of equal category and name, the sorted list keeps the one added first
// (the sort is stable), which is the one a scan meets first.
PIPLManager* PSPluginList::findFilter(const std::string& directory, bool includeSubdirectories,
                                      const std::string& category, const std::string& name) {
    const Wanted wanted{category, name};
    if (PIPLManager* listed = listedFilter(wanted, 0)) return listed;
    std::set<fs::path> visited;
    PIPLManager* found = scanFolder(directory, includeSubdirectories, visited, &wanted);
    sort();
    return found;
}

PIPLManager* PSPluginList::listedFilter(const Wanted& wanted, std::size_t from) const {
    for (std::size_t i = from; i < entries_.size(); ++i) {
        PIPLManager& entry = *entries_[i];
        if (entry.getCategory() == wanted.category && entry.getName() == wanted.name) return &entry;
    }
    return nullptr;
}

PIPLManager* PSPluginList::scanFolder(const std::string& directory, bool includeSubdirectories,
                                      std::set<fs::path>& visited, const Wanted* wanted) {
    std::error_code error;
    // A link back up the tree must not send the scan round in circles.
    const fs::path canonical = fs::canonical(directory, error);
    if (error || !visited.insert(canonical).second) return nullptr;
    std::vector<fs::path> modules;
    std::vector<fs::path> folders;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const fs::path path = it->path();
        const std::string name = path.filename().string();
        std::error_code statError;
        const bool isFolder = it->is_directory(statError);
        if (!isFolder && hasModuleExtension(path)) modules.push_back(path);
        if (isFolder && includeSubdirectories && !name.starts_with('.')) folders.push_back(path);
    }
    // Directory order is whatever the file system gives; by name is repeatable.
    std::sort(modules.begin(), modules.end());
    std::sort(folders.begin(), folders.end());
    for (const auto& path : modules) {
        const std::size_t before = entries_.size();
        addModule(path.string());
        if (wanted)
            if (PIPLManager* found = listedFilter(*wanted, before)) return found;
    }
    for (const auto& folder : folders)
        if (PIPLManager* found = scanFolder(folder.string(), true, visited, wanted)) return found;
    if (!wanted) sort();
    return nullptr;
}

void PSPluginList::addModule(const std::string& path) {
    std::error_code error;
    const std::filesystem::path identity = std::filesystem::weakly_canonical(path, error);
    if (listedModules_.contains(error ? std::filesystem::path(path) : identity)) return;
    currentFile_ = path;
    const auto resources = readModuleResources(path);
    if (!resources) return;
    listedModules_.insert(error ? std::filesystem::path(path) : identity);
    for (const auto& pipl : resources->pipls) {
        auto entry = std::make_unique<PIPLManager>();
        // The leading 16-bit word of the resource is not part of the list.
        if (pipl.size() > 2) entry->loadFromPIPL(std::span(pipl).subspan(2));
        entry->fileName = currentFile_;
        entry->moduleKind = resources->kind;
        entry->importedLibraries = resources->importedLibraries;
        entry->dotNetAssembly = resources->dotNetAssembly;
        entries_.push_back(std::move(entry));
    }
    if (resources->pipls.empty()) addLegacyEntries(*resources);
}

void PSPluginList::addLegacyEntries(const ModuleResources& resources) {
    for (std::uint32_t n = 1;; ++n) {
        const auto info = resources.legacyInfo.find(n);
        const auto name = resources.legacyNames.find(n);
        if (info == resources.legacyInfo.end() || name == resources.legacyNames.end()) return;
        auto entry = std::make_unique<PIPLManager>();
        entry->setName(legacyText(name->second));
        entry->setCategory(legacyText(info->second));
        entry->setEntryPoint("ENTRYPOINT" + std::to_string(n));
        entry->fileName = currentFile_;
        entry->moduleKind = resources.kind;
        entry->importedLibraries = resources.importedLibraries;
        entry->dotNetAssembly = resources.dotNetAssembly;
        entries_.push_back(std::move(entry));
    }
}

int PSPluginList::indexOf(const PIPLManager* entry) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].get() == entry) return static_cast<int>(i);
    }
    return -1;
}

bool comparePlugins(const PIPLManager& a, const PIPLManager& b) {
    const std::string ca = a.getCategory(), cb = b.getCategory();
    // std::string compares as unsigned char codes, as the menu order wants.
    if (ca != cb) return ca < cb;
    return a.getName() < b.getName();
}

void PSPluginList::sort() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const auto& a, const auto& b) { return comparePlugins(*a, *b); });
}

}  // namespace mugwarp
