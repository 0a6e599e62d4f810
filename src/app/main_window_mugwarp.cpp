#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QToolBar>

#include "app/image_view.h"
#include "app/main_window.h"
#include "warp/warp_engine.h"

namespace mugwarp {

void MainWindow::buildMugwarpMenu() {
    menus_.mugwarp = menuBar()->addMenu(QStringLiteral("Mugwarp"));
    menus_.mugwarp->setObjectName(QStringLiteral("Mugwarp1"));
    actions_.putty = addCommand(menus_.mugwarp, QStringLiteral("Putty"), "Putty1", [this] { selectWarpTool(WarpTool::Putty); });
    actions_.warp = addCommand(menus_.mugwarp, QStringLiteral("Warp"), "Warp1", [this] { selectWarpTool(WarpTool::Warp); });
    actions_.twirl = addCommand(menus_.mugwarp, QStringLiteral("Twirl"), "Twirl1", [this] { selectWarpTool(WarpTool::Twirl); });
}

void MainWindow::buildWarpSettingsBar() {
    warpBar_ = addToolBar(QStringLiteral("Warp settings"));
    warpBar_->setObjectName(QStringLiteral("ToolBar2"));
    warpBar_->setMovable(false);
    const auto addSlider = [this](const QString& caption, const char* name, int minimum, int maximum, int start) {
        auto* label = new QLabel(caption, warpBar_);
        label->setContentsMargins(0, 0, 4, 0);
        warpBar_->addWidget(label);
        auto* slider = new QSlider(Qt::Horizontal, warpBar_);
        slider->setObjectName(QString::fromLatin1(name));
        slider->setRange(minimum, maximum);
        slider->setValue(start);
        slider->setFixedWidth(180);
        // The arrow keys belong to the window, which moves the sliders itself.
        slider->setFocusPolicy(Qt::NoFocus);
        warpBar_->addWidget(slider);
        warpBar_->addSeparator();
        return slider;
    };
    sizeBar_ = addSlider(QStringLiteral("Size"), "SizeBar", WarpEngine::kMinSize, WarpEngine::kMaxSize, 100);
    effectBar_ = addSlider(QStringLiteral("Effect"), "PinchBar", WarpEngine::kMinEffect, WarpEngine::kMaxEffect, 0);
    connect(sizeBar_, &QSlider::valueChanged, this, [this](int size) { run([&] { onBrushSizeChanged(size); }); });
    connect(effectBar_, &QSlider::valueChanged, this, [this](int effect) { run([&] { onEffectChanged(effect); }); });
    warpBar_->hide();
}

bool MainWindow::warpToolActive() const { return isWarpTool(document_.currentTool()); }

void MainWindow::selectWarpTool(WarpTool tool) {
    if (!document_.pictureLoaded()) return;
    strokes_.selectTool(tool);
    // Overlay objects are only hidden while warping: they stay in place and a
    // save still draws them in.
    view_->setCursor(Qt::BlankCursor);
    view_->setBrushOutlineRadius(strokes_.brushSize() / 2);
    // The outline stands in for the hidden pointer straight away, not only after the next move.
    view_->moveBrushOutline(view_->mapFromGlobal(QCursor::pos()));
    view_->setBrushOutlineVisible(true);
    if (strokes_.timerShouldRun()) {
        strokeTimer_.start();
    } else {
        strokeTimer_.stop();
    }
    showViewMode(ViewMode::Warp);
}

void MainWindow::onBrushSizeChanged(int size) {
    strokes_.setBrushSize(size);
    view_->setBrushOutlineRadius(strokes_.brushSize() / 2);
}

void MainWindow::onEffectChanged(int effect) { strokes_.setEffect(effect); }

}  // namespace mugwarp
