#include <QKeyEvent>
#include <QScrollArea>
#include <QSlider>
#include <QToolBar>
#include <QWheelEvent>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/zoom.h"

namespace mugwarp {
namespace {

constexpr int kSliderStep = 3;
constexpr int kWheelNotch = 120;

MouseButtons strokeButtons(Qt::MouseButtons buttons) {
    return {buttons.testFlag(Qt::LeftButton), buttons.testFlag(Qt::RightButton), buttons.testFlag(Qt::MiddleButton)};
}

PixelPoint toPixelPoint(QPoint p) { return {p.x(), p.y()}; }

}  // namespace

void MainWindow::onViewPressed(QPoint viewPoint, Qt::MouseButton, Qt::MouseButtons buttons) {
    if (!document_.pictureLoaded() || !warpToolActive()) return;
    strokes_.setPenPressure(view_->penPressure());
    strokes_.press(toPixelPoint(view_->viewToPicture(viewPoint)), strokeButtons(buttons));
}

void MainWindow::onViewMoved(QPoint viewPoint, Qt::MouseButtons buttons) {
    if (!document_.pictureLoaded() || !warpToolActive()) return;
    view_->moveBrushOutline(viewPoint);
    // The brush application reports its square through the document's change
    // handler, which repaints just that part of the view; the freeze mask is
    // no part of the picture, so its square is repainted here.
    strokes_.setPenPressure(view_->penPressure());
    repaintFreezeStroke(strokes_.move(toPixelPoint(view_->viewToPicture(viewPoint)), strokeButtons(buttons)));
}

// A drag that went on after Undo or Redo ended its stroke still warps; what
// it changed becomes a step of its own here.
void MainWindow::onViewReleased() {
    strokes_.release();
    document_.commitChange();
}

void MainWindow::strokeTimerTick() { repaintFreezeStroke(strokes_.tick()); }

void MainWindow::keyPressEvent(QKeyEvent* event) {
    QMainWindow::keyPressEvent(event);
    run([&] {
        const bool warping = warpToolActive();
        switch (event->key()) {
        case Qt::Key_Up:
            if (warping) sizeBar_->setValue(sizeBar_->value() + kSliderStep);
            else stepZoomFine(+1);
            break;
        case Qt::Key_Down:
            if (warping) sizeBar_->setValue(sizeBar_->value() - kSliderStep);
            else stepZoomFine(-1);
            break;
        case Qt::Key_Left:
            if (warping) effectBar_->setValue(effectBar_->value() - kSliderStep);
            break;
        case Qt::Key_Right:
            if (warping) effectBar_->setValue(effectBar_->value() + kSliderStep);
            break;
        default:
            return;
        }
        event->accept();
    });
}

// One step per notch of 120; finer wheels add up until a notch is complete.
void MainWindow::wheelEvent(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    event->accept();
    // Zooming keeps the picture point under the pointer where it is.
    const QPoint anchor = scrollArea_->viewport()->mapFromGlobal(event->globalPosition().toPoint());
    if (notches != 0) run([&] { onWheelNotches(notches, anchor); });
}

// Turning the wheel up (away from the user) zooms out: the opposite of the Up key.
void MainWindow::onWheelNotches(int notchesUp, QPoint anchor) {
    if (warpToolActive()) {
        sizeBar_->setValue(sizeBar_->value() - notchesUp * kSliderStep);
    } else {
        stepZoomFine(-notchesUp, anchor);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && (watched == view_ || watched == scrollArea_->viewport())) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::ToolTip && (watched == mainToolBar_->widgetForAction(actions_.undo) ||
                                             watched == mainToolBar_->widgetForAction(actions_.redo)))
        updateHistoryActions();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace mugwarp
