#include <QAction>
#include <QMenuBar>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/status_line.h"
#include "app/zoom.h"

namespace mugwarp {

void MainWindow::buildViewMenu() {
    menus_.view = menuBar()->addMenu(QStringLiteral("View"));
    menus_.view->setObjectName(QStringLiteral("View1"));
    actions_.original = addCommand(menus_.view, QStringLiteral("Original"), "Original1", [this] { zoomOriginal(); });
    actions_.original->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    actions_.zoomIn = addCommand(menus_.view, QStringLiteral("Zoom In"), "ZoomIn1", [this] { zoomIn(); });
    actions_.zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    actions_.zoomOut = addCommand(menus_.view, QStringLiteral("Zoom Out"), "ZoomOut1", [this] { zoomOut(); });
    actions_.zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
}

void MainWindow::setZoom(int percent) {
    if (!document_.pictureLoaded()) return;
    zoomPercent_ = clampZoom(percent);
    applyZoomToView();
}

// The scroll position is left alone; the scroll area keeps it within the new extent.
void MainWindow::applyZoomToView() {
    const QSize size = zoomedViewSize(QSize(document_.pictureWidth(), document_.pictureHeight()), zoomPercent_);
    view_->setViewSize(size);
    canvas_->resize(size.width(), size.height() + 1);
    status_->showPicture(QSize(document_.pictureWidth(), document_.pictureHeight()), zoomPercent_);
}

void MainWindow::zoomOriginal() { setZoom(Zoom::kOriginal); }
void MainWindow::zoomIn() { setZoom(zoomPercent_ + Zoom::kMenuStep); }
void MainWindow::zoomOut() { setZoom(zoomPercent_ - Zoom::kMenuStep); }

void MainWindow::stepZoomFine(int notches) { setZoom(zoomPercent_ + notches * Zoom::kFineStep); }

}  // namespace mugwarp
