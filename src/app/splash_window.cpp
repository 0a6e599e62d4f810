#include "app/splash_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/artwork.h"

namespace mugwarp {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(splashPicture()) {
    setFixedSize(kSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A splash left on the screen must not keep the program alive after Exit.
    setAttribute(Qt::WA_QuitOnClose, false);
}

void SplashWindow::showNow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    raise();
    repaint();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void SplashWindow::mousePressEvent(QMouseEvent*) { hide(); }

void SplashWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) {
        wasActive_ = true;
    } else if (wasActive_) {
        hide();
    }
}

}  // namespace mugwarp
