#include "app/data_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "filterproc/program_files.h"

namespace mugwarp {

QString dataDirectory() {
    const std::string executableDir = QCoreApplication::applicationDirPath().toStdString();
    const QStringList candidates = {
        QString::fromStdString(filterproc::shippedDataFolder(executableDir)),
        QString::fromStdString(executableDir) + QStringLiteral("/data"),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate + QStringLiteral("/help")).isDir()) return QDir::cleanPath(candidate);
    }
    return {};
}

QString shippedPluginFolder() {
    return QString::fromStdString(
        filterproc::shippedPluginFolder(QCoreApplication::applicationDirPath().toStdString()));
}

QString baseFolder(const QString& baseDir, const QString& name) {
    if (!baseDir.isEmpty()) {
        const QString local = QDir(baseDir).filePath(name);
        if (QFileInfo(local).isDir()) return QDir::cleanPath(local);
    }
    const QString data = dataDirectory();
    if (data.isEmpty()) return {};
    const QString shipped = QDir(data).filePath(name);
    // Where the files really are: a build tree links its data folders to the sources.
    return QFileInfo(shipped).isDir() ? QFileInfo(shipped).canonicalFilePath() : QString();
}

QString tutorialPath(const QString& baseDir) {
    const QString help = baseFolder(baseDir, QStringLiteral("help"));
    return help.isEmpty() ? QString() : help + QStringLiteral("/index.html");
}

}  // namespace mugwarp
