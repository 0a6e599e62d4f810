#include <QEvent>
#include <QTimer>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/wait_pumping.h"

namespace mugwarp {

namespace {
constexpr int kStartupPauseMs = 1500;
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
    toolPalette()->show();
    emit startupFinished();
    // Claim the keyboard once the splash is gone, as a freshly started program does.
    activateWindow();
    showAboutOnceIfDue();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) showAboutOnceIfDue();
}

// The About window greets the user once, at the first activation after start-up.
void MainWindow::showAboutOnceIfDue() {
    if (aboutShown_ || !startupDone_ || !options_.aboutAtFirstActivation || !isActiveWindow()) return;
    aboutShown_ = true;
    about_->showCentred();
}

}  // namespace mugwarp
