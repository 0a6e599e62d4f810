#pragma once
#include <QString>

namespace mugwarp {

// The folder with the tutorial and the other shipped files: "share/mugwarp"
// beside an installed executable, "data" next to it, or the source tree's data
// folder for a build that was not installed. Empty when none exists.
QString dataDirectory();

// Where the named shipped folder ("Clipart", "Clipart/Talk Bubbles", "help",
// "plugins") is taken from: below the base directory (the current directory at
// start-up) when that folder exists there, so a user's own collection wins,
// otherwise below the data folder. Empty when neither has it.
QString baseFolder(const QString& baseDir, const QString& name);

// The tutorial's start page in the "help" folder that baseFolder picks (it
// need not exist); empty when there is no such folder.
QString tutorialPath(const QString& baseDir = QString());

}  // namespace mugwarp
