#include <QAction>
#include <QCheckBox>
#include <QLayout>
#include <QMenu>
#include <QSettings>

#include "app/brush_guides.h"
#include "app/image_view.h"
#include "app/main_window.h"

namespace mugwarp {
namespace {

const QString kPenSetsSizeKey = QStringLiteral("brushes/penSetsSize");

QSettings brushSettings() { return QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")); }

}  // namespace

void MainWindow::buildBrushCommands() {
    guides_ = std::make_unique<BrushGuides>(document_, *view_);
    view_->setGuides(guides_.get());

    menus_.mugwarp->addSeparator();
    actions_.freezeNone = addCommand(menus_.mugwarp, QStringLiteral("Freeze None"), "FreezeNone1", [this] { freezeNone(); });
    actions_.freezeNone->setStatusTip(QStringLiteral("Thaw the whole picture: every brush moves every pixel again"));
    actions_.invertFreeze =
        addCommand(menus_.mugwarp, QStringLiteral("Invert Freeze"), "InvertFreeze1", [this] { invertFreeze(); });
    actions_.invertFreeze->setStatusTip(QStringLiteral("Freeze what is free and thaw what is frozen"));
    for (QAction* action : {actions_.reconstruct, actions_.smooth, actions_.freeze, actions_.thaw, actions_.freezeNone,
                            actions_.invertFreeze})
        action->setEnabled(false);

    menus_.view->addSeparator();
    actions_.showFreezeMask = addCommand(menus_.view, QStringLiteral("Show Freeze Mask"), "ShowFreezeMask1", [this] {
        guides_->setMaskShown(actions_.showFreezeMask->isChecked());
        view_->update();
    });
    actions_.showFreezeMask->setCheckable(true);
    actions_.showFreezeMask->setChecked(true);
    actions_.showMesh = addCommand(menus_.view, QStringLiteral("Show Mesh"), "ShowMesh1", [this] {
        guides_->setMeshShown(actions_.showMesh->isChecked());
        view_->update();
    });
    actions_.showMesh->setCheckable(true);

    penSetsSize_ = new QCheckBox(QStringLiteral("Pen sets size"), warpSettings_);
    penSetsSize_->setObjectName(QStringLiteral("penSetsSize"));
    penSetsSize_->setToolTip(QStringLiteral("With a pen tablet, pressure sets the brush's size instead of its strength"));
    penSetsSize_->setFocusPolicy(Qt::NoFocus);
    warpSettings_->layout()->addWidget(penSetsSize_);
    warpSettings_->adjustSize();
    penSetsSize_->setChecked(brushSettings().value(kPenSetsSizeKey, false).toBool());
    setPenSetsSize(penSetsSize_->isChecked());
    connect(penSetsSize_, &QCheckBox::toggled, this, [this](bool on) {
        run([&] {
            setPenSetsSize(on);
            brushSettings().setValue(kPenSetsSizeKey, on);
        });
    });
}

void MainWindow::setPenSetsSize(bool on) {
    strokes_.setPressureMode(on ? PressureMode::Size : PressureMode::Strength);
    if (penSetsSize_->isChecked() != on) penSetsSize_->setChecked(on);
}

void MainWindow::freezeNone() {
    strokes_.release();
    document_.freezeNone();
    view_->update();
}

void MainWindow::invertFreeze() {
    strokes_.release();
    document_.invertFreeze();
    view_->update();
}

void MainWindow::repaintFreezeStroke(const Rect& pictureRect) {
    if (!isFreezeTool(document_.currentTool()) || pictureRect.isEmpty()) return;
    view_->pictureChanged(QRect(pictureRect.left, pictureRect.top, pictureRect.width(), pictureRect.height()));
}

}  // namespace mugwarp
