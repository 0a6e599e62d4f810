#include "app/plugin_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/data_paths.h"

namespace mugwarp {

QStringList pluginFolders(const QString& baseDir) {
    QStringList candidates = {baseFolder(baseDir, QStringLiteral("plugins"))};
#if defined(MUGWARP_BUILT_PLUGINS_DIR) && defined(MUGWARP_DATA_DIR)
    // Run from the build tree (the data folder is the source tree's): the
    // sample filters are in the build tree, not yet beside the data.
    if (dataDirectory() == QDir::cleanPath(QStringLiteral(MUGWARP_DATA_DIR)))
        candidates << QStringLiteral(MUGWARP_BUILT_PLUGINS_DIR);
#endif
    candidates << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/mugwarp/plugins");
    QStringList folders;
    QStringList seen;
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty() || !QFileInfo(candidate).isDir()) continue;
        const QString canonical = QFileInfo(candidate).canonicalFilePath();
        if (seen.contains(canonical)) continue;
        seen << canonical;
        folders << QDir::cleanPath(candidate);
    }
    return folders;
}

}  // namespace mugwarp
