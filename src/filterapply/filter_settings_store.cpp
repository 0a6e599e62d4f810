#include "filterapply/filter_settings_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "formats/file_io.h"
#include "pshost/pipl_manager.h"
#include "raster/error.h"

namespace mugwarp {

namespace {

namespace fs = std::filesystem;

constexpr const char* kExtension = ".filter-settings";
// Files this large are not settings files; they are not even read.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(1) << 20;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Letters and digits stay; the rest of a category or name becomes '_'.
std::string fileNamePart(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, 60)) out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return out;
}

std::uint32_t fnv1a(const std::string& text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

std::optional<SavedFilterSettings> readSettingsFile(const std::string& path, std::string& problem) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        problem = "cannot be read";
        return std::nullopt;
    }
    if (size > kMaxFileBytes) {
        problem = "too large for a settings file";
        return std::nullopt;
    }
    try {
        return parseSettingsFile(readWholeFile(path), &problem);
    } catch (const Error&) {
        problem = "cannot be read";
        return std::nullopt;
    }
}

}  // namespace

void debugNote(const std::string& note) {
    if (environment("MUGWARP_DEBUG_FILTERS") != "1") return;
    std::fprintf(stderr, "mugwarp filter settings: %s\n", note.c_str());
    std::fflush(stderr);
}

std::string FilterSettingsStore::defaultFolder() {
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = environment("HOME") + "/.config";
    return config + "/mugwarp/filter-settings";
}

std::string FilterSettingsStore::fileFor(const ModuleIdentity& module) const {
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x", fnv1a(module.path));
    return folder_ + "/" + fileNamePart(module.category) + "-" + fileNamePart(module.name) + "-" + hash + kExtension;
}

void FilterSettingsStore::save(const SavedFilterSettings& saved) const {
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) throw Error("Cannot make the folder " + folder_ + " for filter settings: " + error.message());
    writeFileAtomically(fileFor(saved.module), encodeSettingsFile(saved));
}

std::optional<FilterSettings> FilterSettingsStore::load(const PIPLManager& entry, std::string* why) const {
    const ModuleIdentity module = identityOf(entry);
    const std::string path = fileFor(module);
    std::string problem;
    std::optional<SavedFilterSettings> saved;
    if (!fs::exists(path)) {
        problem = "none are saved";
    } else {
        saved = readSettingsFile(path, problem);
        if (saved) problem = mismatchBetween(saved->module, module);
        if (!problem.empty()) debugNote("ignoring " + path + ": " + problem);
    }
    if (why) *why = problem;
    if (!problem.empty()) return std::nullopt;
    return saved->settings;
}

std::vector<FilterSettingsStore::Listed> FilterSettingsStore::list() const {
    std::vector<Listed> out;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder_, error)) {
        if (!item.is_regular_file() || item.path().extension() != kExtension) continue;
        Listed l;
        l.file = item.path().string();
        l.saved = readSettingsFile(l.file, l.problem);
        out.push_back(std::move(l));
    }
    std::sort(out.begin(), out.end(), [](const Listed& a, const Listed& b) { return a.file < b.file; });
    return out;
}

}  // namespace mugwarp
