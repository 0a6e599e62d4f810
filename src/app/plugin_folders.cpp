#include "app/plugin_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/data_paths.h"

namespace mugwarp {

QStringList pluginFolders(const QString& baseDir) {
    QStringList candidates = {baseFolder(baseDir, QStringLiteral("plugins")), shippedPluginFolder()};
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
