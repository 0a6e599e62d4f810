#include "app/about_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include "app/artwork.h"

namespace mugwarp {

AboutWindow::AboutWindow(QWidget* blockedWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint), blockedWindow_(blockedWindow), picture_(aboutPicture()) {
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
}

void AboutWindow::centreOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void AboutWindow::showCentred() {
    centreOnScreen();
    show();
    raise();
    activateWindow();
}

int AboutWindow::execCentred() {
    centreOnScreen();
    return exec();
}

void AboutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void AboutWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (blockedWindow_) blockedWindow_->setEnabled(false);
}

void AboutWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (blockedWindow_) blockedWindow_->setEnabled(true);
}

}  // namespace mugwarp
