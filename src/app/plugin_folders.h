#pragma once
#include <QStringList>

namespace mugwarp {

// The folders scanned for filter plug-ins at start-up, each once: "plugins"
// below the base directory, the shipped sample filters, and the user's own
// $XDG_DATA_HOME/mugwarp/plugins. Only folders that exist.
QStringList pluginFolders(const QString& baseDir);

}  // namespace mugwarp
