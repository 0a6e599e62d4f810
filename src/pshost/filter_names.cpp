#include "pshost/filter_names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <utility>

namespace mugwarp {

namespace {

std::string folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

const char* kindWords(ModuleKind kind) {
    switch (kind) {
        case ModuleKind::Native: return "";
        case ModuleKind::Windows64: return "Windows";
        case ModuleKind::Windows32: return "Windows, 32-bit";
    }
    return "";
}

std::string withNote(const std::string& name, ModuleKind kind, const std::string& file) {
    std::string note = kindWords(kind);
    if (!file.empty()) note += (note.empty() ? "" : ", ") + file;
    return note.empty() ? name : name + " (" + note + ")";
}

}  // namespace

std::vector<std::string> filterCaptions(const PSPluginList& list) {
    std::map<std::pair<std::string, std::string>, std::vector<int>> groups;
    for (int i = 0; i < list.count(); ++i)
        groups[{folded(list.item(i).getCategory()), folded(list.item(i).getName())}].push_back(i);
    std::vector<std::string> captions(list.count());
    for (const auto& [key, members] : groups) {
        for (int i : members) {
            const PIPLManager& entry = list.item(i);
            const std::string name = entry.getName();
            if (members.size() == 1) {
                captions[i] = name;
                continue;
            }
            int sameKind = 0, sameFile = 0;
            for (int j : members) {
                if (list.item(j).moduleKind != entry.moduleKind) continue;
                ++sameKind;
                if (folded(fileNameOf(list.item(j).fileName)) == folded(fileNameOf(entry.fileName))) ++sameFile;
            }
            // One module may hold two filters of one name: the file cannot
            // tell them apart, their place in it does.
            std::string file = sameKind == 1 ? std::string() : sameFile == 1 ? fileNameOf(entry.fileName) : entry.fileName;
            captions[i] = withNote(name, entry.moduleKind, file);
        }
        // Two filters of one module under one name: their order tells them apart.
        std::map<std::string, int> seen;
        for (int i : members)
            if (int n = ++seen[captions[i]]; n > 1) captions[i] += " #" + std::to_string(n);
    }
    return captions;
}

FilterPick pickFilter(PSPluginList& list, const std::string& wanted) {
    const std::vector<std::string> captions = filterCaptions(list);
    FilterPick pick;
    std::vector<int> named;
    for (int i = 0; i < list.count(); ++i) {
        PIPLManager& entry = list.item(i);
        const std::string prefix = entry.getCategory() + "/";
        if (wanted == prefix + captions[i]) {
            pick.entry = &entry;
            return pick;
        }
        const std::string byName = prefix + entry.getName();
        if (wanted == byName) named.push_back(i);
        const std::string byFile = byName + "@";
        if (wanted.starts_with(byFile)) {
            const std::string file = wanted.substr(byFile.size());
            if (file == entry.fileName || file == fileNameOf(entry.fileName)) named.push_back(i);
        }
    }
    if (named.size() == 1) {
        pick.entry = &list.item(named.front());
    } else {
        for (int i : named) pick.candidates.push_back(list.item(i).getCategory() + "/" + captions[i]);
    }
    return pick;
}

}  // namespace mugwarp
