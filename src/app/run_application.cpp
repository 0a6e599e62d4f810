#include "app/run_application.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include "app/application.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup_options.h"

namespace mugwarp {

int runApplication(int argc, char** argv) {
    Application app(argc, argv);
    const StartupOptions options = StartupOptions::parse(QCoreApplication::arguments());

    MainWindow mainWindow(options);
    app.setErrorReporter(messageBoxReporter(&mainWindow));

    // The first splash shows from its creation until the main window takes over.
    SplashWindow splash;
    if (options.waitAtStartup) {
        splash.showNow();
        QObject::connect(&app, &QGuiApplication::focusWindowChanged, &splash, [&](QWindow* window) {
            if (window && window == mainWindow.windowHandle()) splash.hide();
        });
        // Without a window manager nothing may ever take the activation.
        QObject::connect(&mainWindow, &MainWindow::startupFinished, &splash, &QWidget::hide);
    }

    mainWindow.showMaximized();
    if (!options.fileToOpen.isEmpty()) {
        QTimer::singleShot(0, &mainWindow, [&] { mainWindow.openPicture(options.fileToOpen); });
    }
    return app.exec();
}

}  // namespace mugwarp
