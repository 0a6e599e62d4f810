#pragma once
// Shared helpers of the application tests (header only: every test_*.cpp is
// its own executable).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QSettings>
#include <QStringList>
#include <QTabletEvent>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "app/application.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/surface_image.h"
#include "raster/pixel_surface.h"

namespace mugwarp::testing {

inline QString samplePortrait() { return QStringLiteral(MUGWARP_SOURCE_DIR "/data/sample/portrait.jpg"); }

// A main window without start-up pause or About window, whose error messages
// are recorded instead of shown in a modal box.
struct TestWindow {
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(StartupOptions::quick());
    QStringList errors;
    // The unsaved-changes questions asked, each answered with `answer`.
    QStringList questions;
    QMessageBox::StandardButton answer = QMessageBox::Discard;

    TestWindow() {
        window->setErrorReporter([this](const QString& message) { errors << message; });
        window->setSaveChangesQuestion([this](QWidget*, const QString& text) {
            questions << text;
            return answer;
        });
        window->setOpenFileChooser([](QWidget*, const QString&) { return QString(); });
        window->setSaveFileChooser([](QWidget*, const QString&) { return QString(); });
        window->setUrlOpener([](const QUrl&) { return true; });
        window->resize(900, 700);
        window->show();
        QCoreApplication::processEvents();
    }
    MainWindow* operator->() const { return window.get(); }
    MainWindow& operator*() const { return *window; }
};

inline void sendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local(p);
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
inline void press(QWidget* w, QPoint p, Qt::MouseButton b) { sendMouse(w, QEvent::MouseButtonPress, p, b, b); }
inline void moveHeld(QWidget* w, QPoint p, Qt::MouseButtons held) {
    sendMouse(w, QEvent::MouseMove, p, Qt::NoButton, held);
}
inline void release(QWidget* w, QPoint p, Qt::MouseButton b) {
    sendMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}

// A pen on a tablet: press, move or release with a pressure of 0..1.
inline void sendTablet(QWidget* target, QEvent::Type type, QPoint p, qreal pressure, Qt::MouseButton button,
                       Qt::MouseButtons buttons) {
    static const QPointingDevice pen(QStringLiteral("test pen"), 7, QInputDevice::DeviceType::Stylus,
                                     QPointingDevice::PointerType::Pen,
                                     QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    const QPointF local(p);
    QTabletEvent event(type, &pen, local, target->mapToGlobal(local), pressure, 0, 0, 0, 0, 0, Qt::NoModifier, button,
                       buttons);
    QApplication::sendEvent(target, &event);
}

// One wheel notch at a point of the target; up means away from the user.
inline void wheelNotch(QWidget* target, bool up, QPoint at = QPoint(10, 10)) {
    const QPointF local(at);
    QWheelEvent event(local, target->mapToGlobal(local), QPoint(), QPoint(0, up ? 120 : -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

inline void key(QWidget* target, int code) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Writes a picture with Qt's own writer (BMP), for pictures of special sizes.
inline QString writeBmp(const QTemporaryDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.filePath(name);
    image.convertToFormat(QImage::Format_RGB32).save(path, "BMP");
    return path;
}

// The title as the window manager shows it: "[*]" becomes "*" while the
// window is marked modified and disappears otherwise.
inline QString shownTitle(const QWidget& window) {
    QString title = window.windowTitle();
    return title.replace(QStringLiteral("[*]"), window.isWindowModified() ? QStringLiteral("*") : QString());
}

inline QImage displayImage(const MainWindow& window) { return imageFromSurface(window.document().display()); }

// Runs a Qt Test object with the offscreen platform unless another was asked for.
template <typename TestObject>
int runTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/mugwarp-test-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    // Remembered window places stay with the test run, not the user.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    // So do the settings kept for filters after each run.
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    Application app(argc, argv);
    // Anything that escapes an event handler unnoticed fails the test run.
    app.setErrorReporter([](const QString& message) { qFatal("unreported error: %s", qPrintable(message)); });
    TestObject tests;
    return QTest::qExec(&tests, argc, argv);
}

}  // namespace mugwarp::testing
