#pragma once
#include <QString>

namespace mugwarp {

// The folder with the tutorial and the other shipped files: PREFIX/share/mugwarp
// of the installed (or built) program, else "data" next to the executable.
// Empty when none exists.
QString dataDirectory();

// PREFIX/lib/mugwarp/plugins, where the sample filters are (it need not exist).
QString shippedPluginFolder();

// Where the named shipped folder ("Clipart", "Clipart/Talk Bubbles", "help",
// "plugins") is taken from: below the base directory (the current directory at
// start-up) when that folder exists there, so a user's own collection wins,
// otherwise below the data folder. Empty when neither has it.
QString baseFolder(const QString& baseDir, const QString& name);

// The tutorial's start page in the "help" folder that baseFolder picks (it
// need not exist); empty when there is no such folder.
QString tutorialPath(const QString& baseDir = QString());

}  // namespace mugwarp
