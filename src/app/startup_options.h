#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace mugwarp {

// What the command line and the environment ask of start-up.
// MUGWARP_QUICK_START=1 in the environment acts like --quick (both switches),
// so that tests and scripts need not sit through the splash and the About window.
// The command line is read before any window system is touched, so that
// --help, --version and mistakes are answered on a machine without a display.
struct StartupOptions {
    // An answer that ends the program before it opens a window.
    struct Reply {
        QString text;
        int exitStatus = 0;
        bool isError() const { return exitStatus != 0; }
    };

    bool waitAtStartup = true;
    bool aboutAtFirstActivation = true;
    QString fileToOpen;
    // Where recovery copies of unsaved work are kept; empty keeps none.
    QString recoveryFolder;
    std::optional<Reply> reply;

    // arguments[0] is the program. The toolkit's own options (-platform NAME,
    // -style NAME, -reverse, ...) are let through for it to take.
    static StartupOptions parse(const QStringList& arguments);
    static StartupOptions quick();

    // The text of --help, and of --version.
    static QString usage();
    static QString versionText();
};

}  // namespace mugwarp
