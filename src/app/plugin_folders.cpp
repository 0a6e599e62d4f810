#include "app/plugin_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
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

namespace {

const QString kLoadedFolders = QStringLiteral("filters/loadedFolders");
const QString kFolder = QStringLiteral("folder");
const QString kSubdirectories = QStringLiteral("subdirectories");

QSettings userSettings() { return QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")); }

}  // namespace

QList<LoadedFilterFolder> loadedFilterFolders() {
    QSettings settings = userSettings();
    QList<LoadedFilterFolder> folders;
    const int count = settings.beginReadArray(kLoadedFolders);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const QString folder = settings.value(kFolder).toString();
        if (!folder.isEmpty()) folders.append({folder, settings.value(kSubdirectories, true).toBool()});
    }
    settings.endArray();
    return folders;
}

void rememberLoadedFilterFolder(const QString& folder, bool includeSubdirectories) {
    const QString cleaned = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QList<LoadedFilterFolder> folders = loadedFilterFolders();
    bool known = false;
    for (LoadedFilterFolder& f : folders) {
        if (f.folder == cleaned) {
            f.includeSubdirectories = includeSubdirectories;
            known = true;
        }
    }
    if (!known) folders.append({cleaned, includeSubdirectories});
    QSettings settings = userSettings();
    settings.beginWriteArray(kLoadedFolders, int(folders.size()));
    for (int i = 0; i < folders.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kFolder, folders[i].folder);
        settings.setValue(kSubdirectories, folders[i].includeSubdirectories);
    }
    settings.endArray();
}

}  // namespace mugwarp
