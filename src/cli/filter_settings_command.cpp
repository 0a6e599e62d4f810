#include <iostream>

#include "cli/cli_commands.h"
#include "cli/filter_actions.h"
#include "filterapply/filter_settings_store.h"
#include "formats/file_io.h"
#include "pshost/descriptor.h"
#include "pshost/plugin_list.h"
#include "raster/error.h"

namespace mugwarp::cli {

std::string filterSettingsUsage() {
    return "usage: mugwarp-cli filter-settings [--plugins DIR] list | export CATEGORY/NAME FILE | import FILE\n"
           "  the settings the editor keeps for filters after each run from the Filters menu\n"
           "  list     one line per saved filter: CATEGORY/NAME <tab> MODULE <tab> STATE <tab>\n"
           "           PARAMETERS <tab> DESCRIPTOR <tab> FILE; STATE is current, changed (another\n"
           "           build of the module: the settings are not used) or missing\n"
           "  export   writes the filter's saved settings to FILE, for 'edit' and 'batch' with\n"
           "           filter:CATEGORY/NAME:settings=FILE (the filter is looked up in DIR)\n"
           "  import   keeps the settings in FILE as the filter's saved ones\n";
}

namespace {

std::string partText(const std::optional<std::vector<std::uint8_t>>& part, bool descriptor) {
    if (!part) return "none";
    if (!descriptor) return std::to_string(part->size()) + " bytes";
    const auto d = parseDescriptor(*part);
    return std::to_string(d ? d->items().size() : 0) + " keys";
}

int list(const FilterSettingsStore& store) {
    for (const auto& l : store.list()) {
        if (!l.saved) {
            std::cout << "?\t\tdamaged: " << l.problem << "\t\t\t" << l.file << "\n";
            continue;
        }
        const ModuleIdentity& m = l.saved->module;
        const ModuleIdentity now = identityOf(m.path, m.category, m.name);
        const std::string state = now.size == 0 && now.modifiedNs == 0 ? "missing"
                                  : mismatchBetween(m, now).empty()   ? "current"
                                                                      : "changed";
        std::cout << m.category << "/" << m.name << "\t" << m.path << "\t" << state << "\t"
                  << partText(l.saved->settings.parameters, false) << "\t"
                  << partText(l.saved->settings.descriptor, true) << "\t" << l.file << "\n";
    }
    return 0;
}

int exportSettings(const FilterSettingsStore& store, const std::string& folder, const std::string& filter,
                   const std::string& file) {
    PSPluginList plugins;
    plugins.scanDirectory(folder, true);
    const PIPLManager* entry = &pickFilterOrThrow(plugins, filter, folder);
    std::string why;
    const auto settings = store.load(*entry, &why);
    if (!settings) throw Error("There are no saved settings for the filter '" + entry->getName() + "': " + why + ".");
    writeFileAtomically(file, encodeSettingsFile({identityOf(*entry), *settings}));
    return 0;
}

int importSettings(const FilterSettingsStore& store, const std::string& file) {
    std::string problem;
    const auto saved = parseSettingsFile(readWholeFile(file), &problem);
    if (!saved) throw Error("The file " + file + " holds no filter settings: it is " + problem + ".");
    const ModuleIdentity& m = saved->module;
    const std::string mismatch = mismatchBetween(m, identityOf(m.path, m.category, m.name));
    if (!mismatch.empty()) throw Error("The settings in " + file + " cannot be kept: " + mismatch + ".");
    store.save(*saved);
    std::cout << "Kept the settings for " << m.category << "/" << m.name << " (" << m.path << ").\n";
    return 0;
}

}  // namespace

int runFilterSettings(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    std::string folder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--plugins" && i + 1 < args.size()) {
            folder = args[++i];
        } else {
            words.push_back(args[i]);
        }
    }
    const FilterSettingsStore store;
    try {
        if (words.size() == 1 && words[0] == "list") return list(store);
        if (words.size() == 3 && words[0] == "export")
            return exportSettings(store, folder.empty() ? defaultPluginFolder() : folder, words[1], words[2]);
        if (words.size() == 2 && words[0] == "import") return importSettings(store, words[1]);
    } catch (const Error& e) {
        std::cerr << "mugwarp-cli filter-settings: " << e.what() << "\n";
        return 1;
    }
    std::cerr << filterSettingsUsage();
    return 2;
}

}  // namespace mugwarp::cli
