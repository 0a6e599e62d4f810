#pragma once
#include <QString>

namespace mugwarp {

// The folder with the tutorial and the other shipped files: "share/mugwarp"
// beside an installed executable, "data" next to it, or the source tree's data
// folder for a build that was not installed. Empty when none exists.
QString dataDirectory();

// The tutorial's start page inside the data folder (it need not exist).
QString tutorialPath();

}  // namespace mugwarp
