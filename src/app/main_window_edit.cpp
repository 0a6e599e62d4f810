#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>

#include "app/flat_view.h"
#include "app/history_captions.h"
#include "app/image_size_dialog.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/zoom.h"

namespace mugwarp {

namespace {

// The hourglass while a long command runs, taken away however it ends.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void MainWindow::buildEditMenu() {
    menus_.edit = menuBar()->addMenu(QStringLiteral("Edit"));
    menus_.edit->setObjectName(QStringLiteral("Edit1"));
    actions_.undo = addCommand(menus_.edit, QStringLiteral("Undo"), "undo1", [this] { undo(); });
    actions_.undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    actions_.redo = addCommand(menus_.edit, QStringLiteral("Redo"), "redo1", [this] { redo(); });
    actions_.redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // The tooltips tell how far the history reaches; the menu shows them too.
    menus_.edit->setToolTipsVisible(true);
    connect(menus_.edit, &QMenu::aboutToShow, this, [this] { updateHistoryActions(); });
    updateHistoryActions();
    actions_.restore = addCommand(menus_.edit, QStringLiteral("Restore"), "Restore1", [this] { restore(); });
    menus_.edit->addSeparator();
    actions_.imageSize = addCommand(menus_.edit, QStringLiteral("Image Size"), "ResizeImage1", [this] { resizeImage(); });
    QMenu* rotate = menus_.edit->addMenu(QStringLiteral("Rotate Canvas"));
    rotate->setObjectName(QStringLiteral("RotateCanvas1"));
    actions_.rotate180 = addCommand(rotate, QStringLiteral("180"), "N1801", [this] { rotateCanvas(Rotation::HalfTurn); });
    actions_.rotateClockwise =
        addCommand(rotate, QStringLiteral("90 CW"), "N90CW1", [this] { rotateCanvas(Rotation::Clockwise); });
    actions_.rotateCounterClockwise =
        addCommand(rotate, QStringLiteral("90 CCW"), "N90CCW1", [this] { rotateCanvas(Rotation::CounterClockwise); });
}

// The picture, its size or the flat picture changed as a whole.
void MainWindow::pictureResized() {
    view_->pictureReplaced();
    flatView_->pictureReplaced();
    applyZoomToView();
}

// A stroke or crop drag still under way becomes a step first, so that Undo
// takes back what the user sees and a crop preview never outlives its picture.
void MainWindow::endGestures() {
    strokes_.release();
    overlayController_->finishDrag();
    if (flatTools_.stroking()) showFlatResult(flatTools_.release());
}

void MainWindow::showUndoResult(const Document::UndoResult& result) {
    if (!result.applied) return;
    if (result.objectsChanged) {
        overlayController_->overlaysChanged();
        return;
    }
    if (result.sizeRestored) zoomPercent_ = Zoom::kOriginal;
    pictureResized();
}

void MainWindow::undo() {
    endGestures();
    showUndoResult(document_.undo());
}

void MainWindow::redo() {
    endGestures();
    showUndoResult(document_.redo());
}

// Called by the document whenever a step is recorded, taken or dropped.
void MainWindow::updateHistoryActions() {
    const HistoryUsage usage = document_.historyUsage();
    const QString undoTip = undoToolTip(usage);
    const QString redoTip = redoToolTip(usage);
    actions_.undo->setEnabled(document_.canUndo());
    actions_.undo->setToolTip(undoTip);
    actions_.undo->setStatusTip(undoTip);
    actions_.redo->setEnabled(document_.canRedo());
    actions_.redo->setToolTip(redoTip);
    actions_.redo->setStatusTip(redoTip);
    setWindowModified(document_.pictureLoaded() && document_.isModified());
}

void MainWindow::restore() {
    if (!document_.pictureLoaded()) return;
    strokes_.release();
    document_.restore();
    view_->pictureReplaced();
}

void MainWindow::resizeImage() {
    if (!document_.pictureLoaded()) return;
    strokes_.release();
    imageSizeDialog_->prepare(document_.pictureWidth(), document_.pictureHeight());
    imageSizeDialog_->exec();
    if (!imageSizeDialog_->accepted()) return;
    resizePictureTo(imageSizeDialog_->chosenWidth(), imageSizeDialog_->chosenHeight());
}

// A size that cannot be had is reported; the picture stays as it was.
void MainWindow::resizePictureTo(int width, int height) {
    if (!document_.pictureLoaded()) return;
    run([&] {
        const WaitCursor wait;
        resizePicture(document_, width, height);
        zoomPercent_ = Zoom::kOriginal;
        pictureResized();
    });
}

// The zoom stays; the view takes the turned picture's size.
void MainWindow::rotateCanvas(Rotation rotation) {
    if (!document_.pictureLoaded()) return;
    strokes_.release();
    rotatePicture(document_, rotation);
    pictureResized();
}

}  // namespace mugwarp
