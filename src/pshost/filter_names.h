#pragma once
#include <string>
#include <vector>

#include "pshost/plugin_list.h"

namespace mugwarp {

// How a person tells apart filters that share a category and a name (case
// aside): a native one alone of its kind keeps the bare name, a Windows one
// alone of its kind says "(Windows)" or "(Windows, 32-bit)", and modules of
// one kind add their file name (their path when even that is shared).
// Filters whose name is their own keep the bare name. One caption per entry,
// in the list's order; no two of a category are the same.
std::vector<std::string> filterCaptions(const PSPluginList& list);

// The filter a person names as "CATEGORY/CAPTION" (the menu's caption),
// "CATEGORY/NAME@FILE" (FILE the module's file name or path) or
// "CATEGORY/NAME" (when that alone picks one). entry is null when nothing
// fits; candidates then holds, for a name several modules share, the
// "CATEGORY/CAPTION" of each.
struct FilterPick {
    PIPLManager* entry = nullptr;
    std::vector<std::string> candidates;
};
FilterPick pickFilter(PSPluginList& list, const std::string& wanted);

}  // namespace mugwarp
