#include <QAction>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/status_line.h"
#include "app/zoom.h"

namespace mugwarp {
namespace {

const QString kFitLargePicturesKey = QStringLiteral("view/fitLargePictures");

QSettings userSettings() { return QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")); }

}  // namespace

void MainWindow::buildViewMenu() {
    menus_.view = menuBar()->addMenu(QStringLiteral("View"));
    menus_.view->setObjectName(QStringLiteral("View1"));
    actions_.original = addCommand(menus_.view, QStringLiteral("Original"), "Original1", [this] { zoomOriginal(); });
    actions_.original->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    actions_.zoomIn = addCommand(menus_.view, QStringLiteral("Zoom In"), "ZoomIn1", [this] { zoomIn(); });
    actions_.zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    actions_.zoomOut = addCommand(menus_.view, QStringLiteral("Zoom Out"), "ZoomOut1", [this] { zoomOut(); });
    actions_.zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    actions_.fitInWindow = addCommand(menus_.view, QStringLiteral("Fit in Window"), "fitInWindowAction", [this] { zoomToFit(); });
    actions_.fitInWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_9));
    menus_.view->addSeparator();
    actions_.fitLargePictures = new QAction(QStringLiteral("Open large pictures to fit the window"), this);
    actions_.fitLargePictures->setObjectName(QStringLiteral("fitLargePicturesAction"));
    actions_.fitLargePictures->setCheckable(true);
    actions_.fitLargePictures->setChecked(userSettings().value(kFitLargePicturesKey, false).toBool());
    connect(actions_.fitLargePictures, &QAction::toggled, this,
            [](bool on) { userSettings().setValue(kFitLargePicturesKey, on); });
    menus_.view->addAction(actions_.fitLargePictures);
}

// Room for the whole picture: the scrolled area without scroll bars, less
// the row above the picture.
QSize MainWindow::roomForPicture() const { return scrollArea_->maximumViewportSize() - QSize(0, 1); }

int MainWindow::zoomForNewPicture() const {
    const QSize picture(document_.pictureWidth(), document_.pictureHeight());
    if (!actions_.fitLargePictures->isChecked()) return Zoom::kOriginal;
    const QSize room = roomForPicture();
    const bool large = picture.width() > room.width() || picture.height() > room.height();
    return large ? fitZoom(picture, room) : Zoom::kOriginal;
}

// The picture point under the anchor (a point of the scrolled area; its
// centre when none is given) stays under it.
void MainWindow::setZoom(int percent, std::optional<QPoint> anchor) {
    if (!document_.pictureLoaded()) return;
    const QWidget* port = scrollArea_->viewport();
    const QPoint at = anchor && port->rect().contains(*anchor) ? *anchor : port->rect().center();
    const QPoint inView = view_->mapFrom(port, at);
    const QSize before = view_->size();
    const double fractionX = before.width() > 0 ? double(inView.x()) / before.width() : 0.0;
    const double fractionY = before.height() > 0 ? double(inView.y()) / before.height() : 0.0;
    zoomPercent_ = percent;
    applyZoomToView();
    const QPoint viewOrigin = view_->pos();
    scrollArea_->horizontalScrollBar()->setValue(qRound(fractionX * view_->width()) + viewOrigin.x() - at.x());
    scrollArea_->verticalScrollBar()->setValue(qRound(fractionY * view_->height()) + viewOrigin.y() - at.y());
}

// The scroll position is left alone; the scroll area keeps it within the new extent.
void MainWindow::applyZoomToView() {
    const QSize size = zoomedViewSize(QSize(document_.pictureWidth(), document_.pictureHeight()), zoomPercent_);
    view_->setViewSize(size);
    canvas_->resize(size.width(), size.height() + 1);
    status_->showPicture(QSize(document_.pictureWidth(), document_.pictureHeight()), zoomPercent_);
}

void MainWindow::zoomOriginal() { setZoom(Zoom::kOriginal); }
void MainWindow::zoomIn() { setZoom(steppedZoom(zoomPercent_, zoomPercent_ + Zoom::kMenuStep)); }
void MainWindow::zoomOut() { setZoom(steppedZoom(zoomPercent_, zoomPercent_ - Zoom::kMenuStep)); }
void MainWindow::zoomToFit() { setZoom(fitZoom(QSize(document_.pictureWidth(), document_.pictureHeight()), roomForPicture())); }

void MainWindow::stepZoomFine(int notches, std::optional<QPoint> anchor) {
    setZoom(steppedZoom(zoomPercent_, zoomPercent_ + notches * Zoom::kFineStep), anchor);
}

}  // namespace mugwarp
