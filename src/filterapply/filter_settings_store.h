#pragma once
#include <optional>
#include <string>
#include <vector>

#include "filterapply/filter_settings_file.h"

namespace mugwarp {

// Filters' settings kept from one session to the next, one file per filter
// module and name in a folder of their own (by default
// $XDG_CONFIG_HOME/mugwarp/filter-settings), written atomically.
class FilterSettingsStore {
public:
    explicit FilterSettingsStore(std::string folder = defaultFolder()) : folder_(std::move(folder)) {}
    static std::string defaultFolder();
    const std::string& folder() const { return folder_; }

    // The file that holds the settings of that module's filter.
    std::string fileFor(const ModuleIdentity& module) const;
    // Replaces the filter's saved settings; throws Error when they cannot be written.
    void save(const SavedFilterSettings& saved) const;
    // The entry's saved settings. Nothing when there are none, or when the
    // file is damaged, for another module or from another build of it: then
    // `why` (and, with MUGWARP_DEBUG_FILTERS=1, the debug log) says so.
    std::optional<FilterSettings> load(const PIPLManager& entry, std::string* why = nullptr) const;

    struct Listed {
        std::string file;
        std::optional<SavedFilterSettings> saved;  // nothing: the file is damaged
        std::string problem;
    };
    // Every settings file in the folder, by file name.
    std::vector<Listed> list() const;

private:
    std::string folder_;
};

// With MUGWARP_DEBUG_FILTERS=1, a note about filter settings on standard error.
void debugNote(const std::string& note);

}  // namespace mugwarp
