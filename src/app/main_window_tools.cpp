#include <QAction>
#include <QToolBar>

#include "app/brush_guides.h"
#include "app/flat_view.h"
#include "app/image_size_dialog.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/palette_dock.h"
#include "app/status_line.h"
#include "app/tool_table.h"

namespace mugwarp {

void MainWindow::buildToolPalette() {
    flatView_ = new FlatView(view_);
    flatView_->setPicture(&document_.flatPicture());
    connect(flatView_, &FlatView::pressed, this, [this](QPoint p, Qt::MouseButton) { run([&] { onFlatPressed(p); }); });
    connect(flatView_, &FlatView::moved, this, [this](QPoint p, Qt::MouseButtons buttons) {
        run([&] { onFlatMoved(p, buttons); });
    });
    connect(flatView_, &FlatView::released, this, [this](QPoint, Qt::MouseButton) { run([&] { onFlatReleased(); }); });

    palette_ = new ToolPalette(this);
    palette_->hide();
    paletteDock_ = new PaletteDock(this, palette_);
    connect(palette_, &ToolPalette::buttonClicked, this, [this](ToolPalette::Button which) {
        run([&] { onPaletteButton(which); });
        // A tool button pressed without effect (no picture yet, or a failed
        // command) must not stay pressed.
        showActiveTool();
    });
    connect(palette_, &ToolPalette::squareSizeChosen, this, [this](int size, int cursorNumber) {
        run([&] { chooseSquareSize(size, cursorNumber); });
    });
    connect(palette_, &ToolPalette::colourChanged, this, [this](const QColor& colour) {
        run([&] { choosePaintColour(colour); });
    });

    imageSizeDialog_ = new ImageSizeDialog(this);
    buildToolShortcuts();
}

// One key per tool, as on the palette's tooltips. The brush tools have
// theirs on the Mugwarp menu; the others have no menu item, so the window
// holds their keys. They act like the palette's buttons.
void MainWindow::buildToolShortcuts() {
    for (const ToolEntry& tool : toolTable()) {
        if (tool.onMugwarpMenu) continue;
        QAction* action = addCommand(nullptr, QString(), tool.actionName, [this, button = tool.button] { onPaletteButton(button); });
        action->setShortcut(QKeySequence(tool.key));
        addAction(action);
    }
}

void MainWindow::showActiveTool() {
    const ToolCode tool = document_.currentTool();
    if (const ToolEntry* entry = toolEntry(tool)) palette_->showActiveTool(entry->button);
    status_->showTool(tool, document_.pictureLoaded());
}

// One place decides what each mode shows, so that the three cannot mix.
void MainWindow::showViewMode(ViewMode mode) {
    viewMode_ = mode;
    flatView_->setVisible(mode == ViewMode::Flat);
    view_->setBrushOutlineVisible(mode == ViewMode::Warp);
    if (guides_) guides_->setBrushToolChosen(mode == ViewMode::Warp);
    view_->update();
    warpSettings_->setVisible(mode == ViewMode::Warp);
    // Overlays are only hidden outside the arrow mode: they stay in place and
    // a save still draws them in.
    setLayersVisible(mode == ViewMode::Arrow);
}

void MainWindow::selectArrowTool() {
    if (isFlatTool(document_.currentTool())) {
        document_.rebuildFromSource();
        view_->pictureReplaced();
    }
    strokes_.release();
    strokeTimer_.stop();
    view_->unsetCursor();
    showViewMode(ViewMode::Arrow);
    document_.setCurrentTool(ToolCode::Arrow);
    showActiveTool();
}

void MainWindow::selectFlatTool(ToolCode tool) {
    strokeTimer_.stop();
    if (!document_.pictureLoaded()) return;
    strokes_.release();
    if (document_.selectFlatTool(tool)) {
        flatView_->pictureReplaced();
        showViewMode(ViewMode::Flat);
    }
    setFlatToolCursor(tool);
    showActiveTool();
}

// The flat view has no cursor of its own: it shows the view's.
void MainWindow::setFlatToolCursor(ToolCode tool) {
    switch (tool) {
    case ToolCode::PickColour: view_->setCursor(cursors_.cursor(CursorTable::kPipette)); break;
    case ToolCode::Crop: view_->setCursor(Qt::CrossCursor); break;
    default: view_->setCursor(cursors_.cursor(CursorTable::numberForEraseSize(document_.eraseSize()))); break;
    }
}

void MainWindow::chooseSquareSize(int size, int cursorNumber) {
    view_->setCursor(cursors_.cursor(cursorNumber));
    document_.setEraseSize(size);
    const ToolCode tool = document_.currentTool();
    if (tool != ToolCode::Erase && tool != ToolCode::Paint) selectFlatTool(ToolCode::Erase);
}

// Choosing a colour does not choose the Paint tool.
void MainWindow::choosePaintColour(const QColor& colour) {
    document_.setPaintColor(PlatformColor(colour.red()) | PlatformColor(colour.green()) << 8 |
                            PlatformColor(colour.blue()) << 16);
}

void MainWindow::onPaletteButton(ToolPalette::Button which) {
    using B = ToolPalette::Button;
    if (const ToolEntry* entry = toolEntry(which)) {
        const ToolCode tool = entry->code;
        if (tool == ToolCode::Arrow) {
            selectArrowTool();
        } else if (isWarpTool(tool)) {
            if (tool != document_.currentTool()) selectWarpTool(static_cast<WarpTool>(tool));
        } else if (tool == ToolCode::Crop || tool == ToolCode::PickColour || tool != document_.currentTool()) {
            // Crop and Pick Colour start afresh when chosen again.
            selectFlatTool(tool);
        }
        return;
    }
    switch (which) {
    case B::Delete: deleteSelection(); break;
    case B::ZoomIn: zoomIn(); break;
    case B::ZoomOut: zoomOut(); break;
    case B::Original: zoomOriginal(); break;
    case B::Text: insertText(); break;
    case B::Clipart: insertClipart(); break;
    default: break;
    }
}

}  // namespace mugwarp
