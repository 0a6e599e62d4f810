#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QWindow>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTimer>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/palette_dock.h"
#include "app/palette_placement.h"
#include "app/splash_window.h"
#include "app/wait_pumping.h"

namespace mugwarp {

namespace {
constexpr int kStartupPauseMs = 1500;
constexpr int kFrameWaitMs = 1000;
const QString kPalettePositionKey = QStringLiteral("palette/position");

QSettings userSettings() { return QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")); }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (startupStarted_) return;
    startupStarted_ = true;
    // Runs once the window is on the screen, as its first show completes.
    QTimer::singleShot(0, this, [this] { runStartupSequence(); });
}

void MainWindow::runStartupSequence() {
    if (options_.waitAtStartup) {
        SplashWindow splash;
        splash.showNow();
        scanPlugIns();
        waitPumping(kStartupPauseMs);
    } else {
        scanPlugIns();
    }
    startupDone_ = true;
    {
        // The question about unsaved work comes before the greeting: a
        // greeting shown first (at an activation while the window settles)
        // ends up under the window once the question is answered, and as it
        // blocks the window, the program would look frozen.
        const QScopedValueRollback<bool> asking(offeringRecovery_, true);
        // Under a window manager the window's frame and maximised size
        // arrive with its first exposure, and the palette's place depends
        // on them.
        const QDeadlineTimer framed(kFrameWaitMs);
        while (windowHandle() && !windowHandle()->isExposed() && !framed.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        placeToolPalette();
        toolPalette()->show();
        emit startupFinished();
        // Claim the keyboard once the splash is gone, as a freshly started program does.
        activateWindow();
        offerRecovery();
    }
    showAboutOnceIfDue();
}

// Beside the window at the first start (docked inside it when there is no
// room beside it), where the user left it afterwards.
void MainWindow::placeToolPalette() {
    // The palette's frame is not known before it is shown; the main window's
    // borders are a close guess.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins borders(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    const QSize paletteFrame = palette_->size().grownBy(borders);
    const QVariant remembered = userSettings().value(kPalettePositionKey);
    if (PaletteDock::rememberedDocked()) {
        paletteDock_->dock();
    } else if (remembered.isValid()) {
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
        palette_->move(clampedPalettePosition(remembered.toPoint(), paletteFrame, screens));
    } else {
        const QRect available = screen()->availableGeometry();
        // A maximised window may not have its final size yet: it will fill the screen.
        const QRect windowFrame = isMaximized() ? available : frame;
        const int pictureTop = windowFrame.top() + borders.top() + scrollArea_->mapTo(this, QPoint(0, 0)).y();
        if (const std::optional<QPoint> beside = firstPalettePosition(windowFrame, pictureTop, paletteFrame, available))
            palette_->move(*beside);
        else
            paletteDock_->dock();
    }
    // Only a floating palette's place on the screen is remembered.
    connect(palette_, &ToolPalette::movedOnScreen, this, [this](QPoint position) {
        if (palette_->isWindow()) userSettings().setValue(kPalettePositionKey, position);
    });
    connect(paletteDock_, &PaletteDock::dockedChanged, this, [this](bool docked) {
        if (!docked) userSettings().setValue(kPalettePositionKey, palette_->pos());
    });
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) showAboutOnceIfDue();
}

// The About window greets the user once, at the first activation after start-up.
void MainWindow::showAboutOnceIfDue() {
    if (aboutShown_ || !startupDone_ || offeringRecovery_ || !options_.aboutAtFirstActivation || !isActiveWindow()) return;
    aboutShown_ = true;
    about_->showCentred();
}

}  // namespace mugwarp
