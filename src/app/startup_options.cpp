#include "app/startup_options.h"

#include <QtGlobal>
#include <array>

#include "edit/recovery_folder.h"

namespace mugwarp {
namespace {

// Options the toolkit takes out of the command line when it starts; the
// number says how many values follow. Both -name and --name are accepted.
struct ToolkitOption {
    const char* name;
    int values;
};
constexpr std::array<ToolkitOption, 18> kToolkitOptions{{
    {"platform", 1}, {"platformpluginpath", 1}, {"platformtheme", 1}, {"plugin", 1}, {"qwindowgeometry", 1},
    {"qwindowicon", 1}, {"qwindowtitle", 1}, {"display", 1}, {"geometry", 1}, {"style", 1}, {"stylesheet", 1},
    {"session", 1}, {"name", 1}, {"title", 1}, {"reverse", 0}, {"widgetcount", 0}, {"nograb", 0}, {"dograb", 0},
}};

std::optional<int> toolkitOptionValues(const QString& argument) {
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    name = name.section(QLatin1Char('='), 0, 0);
    const bool valueAttached = argument.contains(QLatin1Char('='));
    for (const ToolkitOption& option : kToolkitOptions)
        if (name == QLatin1String(option.name)) return valueAttached ? 0 : option.values;
    return std::nullopt;
}

StartupOptions::Reply usageError(const QString& problem) {
    return {QStringLiteral("mugwarp: ") + problem + QStringLiteral("\n\n") + StartupOptions::usage(), 2};
}

}  // namespace

StartupOptions StartupOptions::quick() {
    StartupOptions options;
    options.waitAtStartup = false;
    options.aboutAtFirstActivation = false;
    return options;
}

QString StartupOptions::usage() {
    return QStringLiteral(
        "Usage: mugwarp [OPTION]... [FILE]\n"
        "Mugwarp Studio, the caricature editor: opens FILE (a JPEG, BMP or GIF picture) if one is given.\n"
        "\n"
        "Options:\n"
        "  --quick            start at once: no splash pause and no About window\n"
        "  --no-startup-wait  start without the splash pause\n"
        "  --no-about         do not show the About window when the editor first comes up\n"
        "  -h, --help         print this help and exit\n"
        "  -v, --version      print the version and exit\n"
        "  --                 what follows is the file, even if its name starts with '-'\n"
        "\n"
        "The toolkit's own options, such as -platform NAME or -style NAME, are accepted too.\n"
        "\n"
        "Environment:\n"
        "  MUGWARP_QUICK_START=1    acts like --quick\n"
        "  MUGWARP_DEBUG_FILTERS=1  shows Wine's own messages and what a filter asked for and did not get\n"
        "\n"
        "F1 in the editor opens the tutorial. mugwarp-cli does the same work without a display.\n");
}

QString StartupOptions::versionText() {
    return QStringLiteral("Mugwarp Studio " MUGWARP_VERSION "\n");
}

StartupOptions StartupOptions::parse(const QStringList& arguments) {
    StartupOptions options;
    if (qEnvironmentVariableIntValue("MUGWARP_QUICK_START") != 0) options = quick();
    options.recoveryFolder = QString::fromStdString(defaultRecoveryFolder().string());
    bool onlyFilesFollow = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isOption = !onlyFilesFollow && argument.startsWith(QLatin1Char('-')) && argument.size() > 1;
        if (!isOption) {
            if (!options.fileToOpen.isEmpty()) {
                options.reply = usageError(QStringLiteral("one picture at a time: '%1' follows '%2'")
                                               .arg(argument, options.fileToOpen));
                return options;
            }
            options.fileToOpen = argument;
        } else if (argument == QLatin1String("--")) {
            onlyFilesFollow = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            options.reply = Reply{usage(), 0};
            return options;
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            options.reply = Reply{versionText(), 0};
            return options;
        } else if (argument == QLatin1String("--no-startup-wait")) {
            options.waitAtStartup = false;
        } else if (argument == QLatin1String("--no-about")) {
            options.aboutAtFirstActivation = false;
        } else if (argument == QLatin1String("--quick")) {
            options.waitAtStartup = false;
            options.aboutAtFirstActivation = false;
        } else if (const std::optional<int> values = toolkitOptionValues(argument)) {
            if (i + *values >= arguments.size()) {
                options.reply = usageError(QStringLiteral("option '%1' needs a value").arg(argument));
                return options;
            }
            i += *values;
        } else {
            options.reply = usageError(QStringLiteral("unknown option '%1'").arg(argument));
            return options;
        }
    }
    return options;
}

}  // namespace mugwarp
