#include "app/about_window.h"

#include <algorithm>

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include "app/artwork.h"

namespace mugwarp {

AboutWindow::AboutWindow(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint), picture_(aboutPicture()) {
    // Modal to its own window rather than disabling it: a disabled parent
    // would disable this child too, and a parentless window is left by the
    // window manager to sink below the window it blocks.
    setWindowModality(Qt::WindowModal);
    setFixedSize(kSize);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("About Mugwarp Studio"));
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setIcon(QIcon(aboutCloseButtonPicture()));
    button->setIconSize(kCloseButtonGeometry.size());
    button->setGeometry(kCloseButtonGeometry);
    button->setToolTip(QStringLiteral("Close"));
    connect(button, &QToolButton::clicked, this, &QDialog::close);
    closeButton_ = button;
    if (mainWindow) mainWindow->installEventFilter(this);
}

// A click on the blocked main window activates it under some window
// managers; the keyboard then belongs here, so that Escape still closes.
bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched == parent() && isVisible()) {
        raise();
        activateWindow();
    }
    return QDialog::eventFilter(watched, event);
}

// Over the middle of the main window, wholly on the screen that shows it.
void AboutWindow::centreOnMainWindow() {
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : screen ? screen->geometry() : QRect();
    QRect placed(QPoint(), size());
    placed.moveCenter(over.center());
    if (screen) {
        const QRect available = screen->availableGeometry();
        placed.moveLeft(std::max(available.left(), std::min(placed.left(), available.right() + 1 - placed.width())));
        placed.moveTop(std::max(available.top(), std::min(placed.top(), available.bottom() + 1 - placed.height())));
    }
    move(placed.topLeft());
}

void AboutWindow::showCentred() {
    centreOnMainWindow();
    show();
    raise();
    activateWindow();
}

int AboutWindow::execCentred() {
    centreOnMainWindow();
    return exec();
}

void AboutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

}  // namespace mugwarp
