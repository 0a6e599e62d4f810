#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QMenuBar>
#include <QSlider>
#include <QToolBar>
#include <algorithm>
#include <vector>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/tool_table.h"
#include "warp/warp_engine.h"

namespace mugwarp {

// The brush tools of the tool table, in the order of their codes: the three
// that move pixels, then those that take moves back or protect from them.
void MainWindow::buildMugwarpMenu() {
    menus_.mugwarp = menuBar()->addMenu(QStringLiteral("Mugwarp"));
    menus_.mugwarp->setObjectName(QStringLiteral("Mugwarp1"));
    std::vector<const ToolEntry*> brushes;
    for (const ToolEntry& tool : toolTable())
        if (tool.onMugwarpMenu) brushes.push_back(&tool);
    std::sort(brushes.begin(), brushes.end(), [](const ToolEntry* a, const ToolEntry* b) { return a->code < b->code; });
    bool movingBrushes = true;
    for (const ToolEntry* tool : brushes) {
        const auto brush = static_cast<WarpTool>(tool->code);
        if (movingBrushes && brushKind(brush) != BrushKind::Mesh) {
            menus_.mugwarp->addSeparator();
            movingBrushes = false;
        }
        QAction* action = addCommand(menus_.mugwarp, QString::fromUtf8(tool->name), tool->actionName,
                                     [this, brush] { selectWarpTool(brush); });
        action->setShortcut(QKeySequence(tool->key));
        action->setStatusTip(QString::fromUtf8(tool->hint));
        switch (tool->code) {
        case ToolCode::Putty: actions_.putty = action; break;
        case ToolCode::Warp: actions_.warp = action; break;
        case ToolCode::Twirl: actions_.twirl = action; break;
        case ToolCode::Reconstruct: actions_.reconstruct = action; break;
        case ToolCode::Smooth: actions_.smooth = action; break;
        case ToolCode::Freeze: actions_.freeze = action; break;
        case ToolCode::Thaw: actions_.thaw = action; break;
        default: break;
        }
    }
}

// The bar stays on the screen and only its contents come and go, keeping
// their room: the picture below must not move when the tool changes.
void MainWindow::buildWarpSettingsBar() {
    warpBar_ = addToolBar(QStringLiteral("Warp settings"));
    warpBar_->setObjectName(QStringLiteral("ToolBar2"));
    warpBar_->setMovable(false);
    auto* holder = new QWidget(warpBar_);
    holder->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    warpSettings_ = new QWidget(holder);
    warpSettings_->setObjectName(QStringLiteral("warpSettings"));
    QSizePolicy keepRoom(QSizePolicy::Fixed, QSizePolicy::Fixed);
    keepRoom.setRetainSizeWhenHidden(true);
    warpSettings_->setSizePolicy(keepRoom);
    holderLayout->addWidget(warpSettings_);
    auto* layout = new QHBoxLayout(warpSettings_);
    layout->setContentsMargins(8, 0, 0, 0);
    layout->setSpacing(4);

    const auto addSetting = [this, layout](const QString& caption, const char* name, int minimum, int maximum, int start,
                                           QSpinBox*& box) {
        auto* label = new QLabel(caption, warpSettings_);
        layout->addWidget(label);
        auto* slider = new QSlider(Qt::Horizontal, warpSettings_);
        slider->setObjectName(QString::fromLatin1(name));
        slider->setRange(minimum, maximum);
        slider->setValue(start);
        slider->setFixedWidth(180);
        // The arrow keys belong to the window, which moves the sliders itself.
        slider->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(slider);
        box = new QSpinBox(warpSettings_);
        box->setObjectName(QString::fromLatin1(name) + QStringLiteral("Number"));
        box->setRange(minimum, maximum);
        box->setValue(start);
        box->setToolTip(caption);
        // A typed number counts once it is complete (Return or leaving the box).
        box->setKeyboardTracking(false);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-1000")) + 36);
        box->setFocusPolicy(Qt::ClickFocus);
        layout->addWidget(box);
        layout->addSpacing(12);
        connect(slider, &QSlider::valueChanged, box, &QSpinBox::setValue);
        connect(box, &QSpinBox::valueChanged, slider, &QSlider::setValue);
        // Back to the picture, so that the arrow keys and the wheel act on it again.
        connect(box, &QSpinBox::editingFinished, this, [this] { setFocus(Qt::OtherFocusReason); });
        return slider;
    };
    sizeBar_ = addSetting(QStringLiteral("Size"), "SizeBar", WarpEngine::kMinSize, WarpEngine::kMaxSize, 100, sizeBox_);
    effectBar_ = addSetting(QStringLiteral("Effect"), "PinchBar", WarpEngine::kMinEffect, WarpEngine::kMaxEffect, 0,
                            effectBox_);
    connect(sizeBar_, &QSlider::valueChanged, this, [this](int size) { run([&] { onBrushSizeChanged(size); }); });
    connect(effectBar_, &QSlider::valueChanged, this, [this](int effect) { run([&] { onEffectChanged(effect); }); });
    warpBar_->addWidget(holder);
    warpSettings_->hide();
}

bool MainWindow::warpToolActive() const { return isWarpTool(document_.currentTool()); }

void MainWindow::selectWarpTool(WarpTool tool) {
    if (!document_.pictureLoaded()) return;
    strokes_.selectTool(tool);
    // Overlay objects are only hidden while warping: they stay in place and a
    // save still draws them in.
    view_->setCursor(Qt::BlankCursor);
    view_->setBrushOutlineSize(strokes_.brushSize());
    // The outline stands in for the hidden pointer straight away, not only after the next move.
    view_->moveBrushOutline(view_->mapFromGlobal(QCursor::pos()));
    view_->setBrushOutlineVisible(true);
    if (strokes_.timerShouldRun()) {
        strokeTimer_.start();
    } else {
        strokeTimer_.stop();
    }
    showViewMode(ViewMode::Warp);
    showActiveTool();
}

void MainWindow::onBrushSizeChanged(int size) {
    strokes_.setBrushSize(size);
    view_->setBrushOutlineSize(strokes_.brushSize());
}

void MainWindow::onEffectChanged(int effect) { strokes_.setEffect(effect); }

}  // namespace mugwarp
