#include "app/data_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace mugwarp {

QString dataDirectory() {
    const QString executableDir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        executableDir + QStringLiteral("/../share/mugwarp"),
        executableDir + QStringLiteral("/data"),
#ifdef MUGWARP_DATA_DIR
        QStringLiteral(MUGWARP_DATA_DIR),
#endif
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate + QStringLiteral("/help")).isDir()) return QDir::cleanPath(candidate);
    }
    return {};
}

QString baseFolder(const QString& baseDir, const QString& name) {
    if (!baseDir.isEmpty()) {
        const QString local = QDir(baseDir).filePath(name);
        if (QFileInfo(local).isDir()) return QDir::cleanPath(local);
    }
    const QString data = dataDirectory();
    if (data.isEmpty()) return {};
    const QString shipped = QDir(data).filePath(name);
    return QFileInfo(shipped).isDir() ? QDir::cleanPath(shipped) : QString();
}

QString tutorialPath(const QString& baseDir) {
    const QString help = baseFolder(baseDir, QStringLiteral("help"));
    return help.isEmpty() ? QString() : help + QStringLiteral("/index.html");
}

}  // namespace mugwarp
