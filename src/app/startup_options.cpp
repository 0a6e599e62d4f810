#include "app/startup_options.h"

#include <QtGlobal>

namespace mugwarp {

StartupOptions StartupOptions::quick() {
    StartupOptions options;
    options.waitAtStartup = false;
    options.aboutAtFirstActivation = false;
    return options;
}

StartupOptions StartupOptions::parse(const QStringList& arguments) {
    StartupOptions options;
    if (qEnvironmentVariableIntValue("MUGWARP_QUICK_START") != 0) options = quick();
    bool onlyFilesFollow = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!onlyFilesFollow && argument == QLatin1String("--")) {
            onlyFilesFollow = true;
        } else if (!onlyFilesFollow && argument == QLatin1String("--no-startup-wait")) {
            options.waitAtStartup = false;
        } else if (!onlyFilesFollow && argument == QLatin1String("--no-about")) {
            options.aboutAtFirstActivation = false;
        } else if (!onlyFilesFollow && argument == QLatin1String("--quick")) {
            options.waitAtStartup = false;
            options.aboutAtFirstActivation = false;
        } else if (options.fileToOpen.isEmpty()) {
            options.fileToOpen = argument;
        }
    }
    return options;
}

}  // namespace mugwarp
