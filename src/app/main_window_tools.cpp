#include <QAction>
#include <QToolBar>

#include "app/flat_view.h"
#include "app/image_size_dialog.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/palette_dock.h"
#include "app/status_line.h"

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

// One key per tool, as on the palette's tooltips. Putty, Warp and Twirl have
// theirs on the Mugwarp menu; the others have no menu item, so the window
// holds their keys. They act like the palette's buttons.
void MainWindow::buildToolShortcuts() {
    actions_.putty->setShortcut(QKeySequence(Qt::Key_P));
    actions_.warp->setShortcut(QKeySequence(Qt::Key_W));
    actions_.twirl->setShortcut(QKeySequence(Qt::Key_T));
    using B = ToolPalette::Button;
    const struct { B button; Qt::Key key; const char* name; } keys[] = {
        {B::Arrow, Qt::Key_A, "arrowKey"}, {B::Erase, Qt::Key_E, "eraseKey"}, {B::Paint, Qt::Key_B, "paintKey"},
        {B::PickColour, Qt::Key_I, "pickColourKey"}, {B::Crop, Qt::Key_C, "cropKey"},
    };
    for (const auto& k : keys) {
        QAction* action = addCommand(nullptr, QString(), k.name, [this, button = k.button] { onPaletteButton(button); });
        action->setShortcut(QKeySequence(k.key));
        addAction(action);
    }
}

void MainWindow::showActiveTool() {
    using B = ToolPalette::Button;
    const ToolCode tool = document_.currentTool();
    switch (tool) {
    case ToolCode::Arrow: palette_->showActiveTool(B::Arrow); break;
    case ToolCode::Putty: palette_->showActiveTool(B::Putty); break;
    case ToolCode::Warp: palette_->showActiveTool(B::Warp); break;
    case ToolCode::Twirl: palette_->showActiveTool(B::Twirl); break;
    case ToolCode::Erase: palette_->showActiveTool(B::Erase); break;
    case ToolCode::Paint: palette_->showActiveTool(B::Paint); break;
    case ToolCode::PickColour: palette_->showActiveTool(B::PickColour); break;
    case ToolCode::Crop: palette_->showActiveTool(B::Crop); break;
    }
    status_->showTool(tool, document_.pictureLoaded());
}

// One place decides what each mode shows, so that the three cannot mix.
void MainWindow::showViewMode(ViewMode mode) {
    viewMode_ = mode;
    flatView_->setVisible(mode == ViewMode::Flat);
    view_->setBrushOutlineVisible(mode == ViewMode::Warp);
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
    const ToolCode tool = document_.currentTool();
    switch (which) {
    case B::Arrow: selectArrowTool(); break;
    case B::Delete: deleteSelection(); break;
    case B::ZoomIn: zoomIn(); break;
    case B::ZoomOut: zoomOut(); break;
    case B::Crop: selectFlatTool(ToolCode::Crop); break;
    case B::Original: zoomOriginal(); break;
    case B::Erase:
        if (tool != ToolCode::Erase) selectFlatTool(ToolCode::Erase);
        break;
    case B::Paint:
        if (tool != ToolCode::Paint) selectFlatTool(ToolCode::Paint);
        break;
    case B::Twirl:
        if (tool != ToolCode::Twirl) selectWarpTool(WarpTool::Twirl);
        break;
    case B::PickColour: selectFlatTool(ToolCode::PickColour); break;
    case B::Putty:
        if (tool != ToolCode::Putty) selectWarpTool(WarpTool::Putty);
        break;
    case B::Warp:
        if (tool != ToolCode::Warp) selectWarpTool(WarpTool::Warp);
        break;
    case B::Text: insertText(); break;
    case B::Clipart: insertClipart(); break;
    }
}

}  // namespace mugwarp
