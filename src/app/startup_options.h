#pragma once
#include <QString>
#include <QStringList>

namespace mugwarp {

// What the command line and the environment ask of start-up.
//   mugwarp [--no-startup-wait] [--no-about] [--quick] [FILE]
// MUGWARP_QUICK_START=1 in the environment acts like --quick (both switches),
// so that tests and scripts need not sit through the splash and the About window.
struct StartupOptions {
    bool waitAtStartup = true;
    bool aboutAtFirstActivation = true;
    QString fileToOpen;

    static StartupOptions parse(const QStringList& arguments);
    static StartupOptions quick();
};

}  // namespace mugwarp
