#pragma once
#include <QStringList>

namespace mugwarp {

// The folders scanned for filter plug-ins at start-up, each once: the shipped
// "plugins" folder (below the base directory, else the data folder), the
// sample filters of a build that was not installed, and the user's own
// $XDG_DATA_HOME/mugwarp/plugins. Only folders that exist.
QStringList pluginFolders(const QString& baseDir);

}  // namespace mugwarp
