#pragma once
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "pshost/pipl_manager.h"

namespace mugwarp {

// Every filter discovered so far, sorted by category and then name. Entries
// keep their address for the list's lifetime (scans only append), so a menu
// can hold on to them while later scans re-sort the list.
class PSPluginList {
public:
    PSPluginList() = default;
    PSPluginList(const PSPluginList&) = delete;
    PSPluginList& operator=(const PSPluginList&) = delete;
    // Releases each entry's data word when it is a host memory handle.
    ~PSPluginList();

    // Adds the filters of every module below directory (file names ending in
    // ".8bf" in any case; with includeSubdirectories also in every folder whose
    // name does not begin with a dot), then sorts. A missing folder adds nothing.
    void scanDirectory(const std::string& directory, bool includeSubdirectories);
    // The filter with this category and name that a scan of directory would
    // list first, found without reading the modules beyond it: the scan stops
    // at the first module holding it (a filter already listed is answered at
    // once). The modules read on the way stay listed, sorted. nullptr when no
    // module below directory holds such a filter.
    PIPLManager* findFilter(const std::string& directory, bool includeSubdirectories, const std::string& category,
                            const std::string& name);
    // Adds the filters of one module file without sorting. Files that are not
    // modules, or carry no plug-in resources, add nothing, and neither does a
    // module already listed (loading a folder twice must not double its items).
    void addModule(const std::string& path);

    int count() const { return static_cast<int>(entries_.size()); }
    PIPLManager& item(int index) { return *entries_.at(index); }
    const PIPLManager& item(int index) const { return *entries_.at(index); }
    // The index of an entry of this list, or -1.
    int indexOf(const PIPLManager* entry) const;

    void sort();

private:
    struct Wanted {
        const std::string& category;
        const std::string& name;
    };
    // Returns the wanted filter once a module adds it (and stops there).
    PIPLManager* scanFolder(const std::string& directory, bool includeSubdirectories,
                            std::set<std::filesystem::path>& visited, const Wanted* wanted);
    PIPLManager* listedFilter(const Wanted& wanted, std::size_t from) const;
    void addLegacyEntries(const struct ModuleResources& resources);

    std::vector<std::unique_ptr<PIPLManager>> entries_;
    std::string currentFile_;
    std::set<std::filesystem::path> listedModules_;
};

// Category first, then name, both by character code (case-sensitive).
bool comparePlugins(const PIPLManager& a, const PIPLManager& b);

}  // namespace mugwarp
