#include <QAction>
#include <QMenuBar>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/zoom.h"

namespace mugwarp {

void MainWindow::buildEditMenu() {
    menus_.edit = menuBar()->addMenu(QStringLiteral("Edit"));
    menus_.edit->setObjectName(QStringLiteral("Edit1"));
    actions_.undo = addCommand(menus_.edit, QStringLiteral("Undo"), "undo1", [this] { undo(); });
    actions_.undo->setShortcut(QKeySequence::Undo);
    actions_.undo->setToolTip(QStringLiteral("Undo"));
}

void MainWindow::undo() {
    strokes_.release();
    const Document::UndoResult result = document_.undo();
    if (!result.applied) return;
    if (result.sizeRestored) zoomPercent_ = Zoom::kOriginal;
    view_->pictureReplaced();
    applyZoomToView();
}

}  // namespace mugwarp
