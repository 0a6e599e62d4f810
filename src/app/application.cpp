#include "app/application.h"

#include "app/artwork.h"

namespace mugwarp {

Application::Application(int& argc, char** argv) : QApplication(argc, argv), reporter_(messageBoxReporter(nullptr)) {
    setApplicationName(QStringLiteral("mugwarp"));
    // No display name: the desktop platforms append it to every window
    // title, and the main window's caption must read exactly as set.
    setApplicationVersion(QStringLiteral(MUGWARP_VERSION));
    setDesktopFileName(QStringLiteral("mugwarp"));
    setWindowIcon(applicationIcon());
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    runReportingErrors(reporter_, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace mugwarp
