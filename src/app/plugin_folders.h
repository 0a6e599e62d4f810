#pragma once
#include <QList>
#include <QStringList>

namespace mugwarp {

// The folders scanned for filter plug-ins at start-up, each once: "plugins"
// below the base directory, the shipped sample filters, and the user's own
// $XDG_DATA_HOME/mugwarp/plugins. Only folders that exist.
QStringList pluginFolders(const QString& baseDir);

// A folder added with Load Filters, scanned again at every start.
struct LoadedFilterFolder {
    QString folder;
    bool includeSubdirectories = true;
};
// The folders added so far, in the order they were first added; each once
// (added again, it keeps its place with the latest choice of sub-directories).
QList<LoadedFilterFolder> loadedFilterFolders();
void rememberLoadedFilterFolder(const QString& folder, bool includeSubdirectories);

}  // namespace mugwarp
