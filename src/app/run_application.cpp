#include "app/run_application.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "app/application.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup_options.h"

namespace mugwarp {

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace

int runApplication(int argc, char** argv) {
    // Before the application object: answering --help must not need a display.
    const StartupOptions options = StartupOptions::parse(argumentsOf(argc, argv));
    if (options.reply) {
        const QByteArray text = options.reply->text.toLocal8Bit();
        std::fputs(text.constData(), options.reply->isError() ? stderr : stdout);
        return options.reply->exitStatus;
    }
    Application app(argc, argv);

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
