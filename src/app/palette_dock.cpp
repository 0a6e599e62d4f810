#include "app/palette_dock.h"

#include <QAction>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace mugwarp {
namespace {

const QString kDockedKey = QStringLiteral("palette/docked");
constexpr int kDragWatchMs = 50;

QSettings userSettings() { return QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")); }

}  // namespace

PaletteDock::PaletteDock(QMainWindow* window, QWidget* palette)
    : QObject(window),
      window_(window),
      palette_(palette),
      holder_(new QWidget),
      bar_(new QToolBar(QStringLiteral("Tools"), window)),
      dragWatch_(new QTimer(this)),
      floatingFlags_(palette->windowFlags()) {
    bar_->setObjectName(QStringLiteral("ToolsDock"));
    bar_->setOrientation(Qt::Vertical);
    bar_->setAllowedAreas(Qt::LeftToolBarArea | Qt::RightToolBarArea);
    bar_->setMovable(true);
    bar_->setFloatable(true);
    // Hiding the bar from the window's context menu would lose the palette.
    bar_->toggleViewAction()->setVisible(false);
    // The holder, not the palette, belongs to the bar: the bar's widget action
    // deletes what it holds, and the palette must outlive a float.
    auto* layout = new QVBoxLayout(holder_);
    layout->setContentsMargins(0, 0, 0, 0);
    bar_->addWidget(holder_);
    window_->addToolBar(Qt::LeftToolBarArea, bar_);
    bar_->hide();
    dragWatch_->setInterval(kDragWatchMs);
    connect(dragWatch_, &QTimer::timeout, this, &PaletteDock::floatWhenDragEnds);
    // A bar dragged out of the window becomes the floating palette once let go.
    connect(bar_, &QToolBar::topLevelChanged, this, [this](bool floating) {
        if (floating && docked_) dragWatch_->start();
    });
    palette_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(palette_, &QWidget::customContextMenuRequested, this, &PaletteDock::showContextMenu);
}

bool PaletteDock::rememberedDocked() { return userSettings().value(kDockedKey, false).toBool(); }

void PaletteDock::dock() {
    if (docked_) return;
    palette_->setParent(holder_, Qt::Widget);
    holder_->layout()->addWidget(palette_);
    palette_->show();
    bar_->show();
    docked_ = true;
    userSettings().setValue(kDockedKey, true);
    emit dockedChanged(true);
}

void PaletteDock::floatAt(QPoint frameTopLeft) {
    if (!docked_) return;
    dragWatch_->stop();
    holder_->layout()->removeWidget(palette_);
    palette_->setParent(window_, floatingFlags_);
    palette_->move(frameTopLeft);
    // Back in its place for the next dock, should it have been dragged out.
    if (bar_->isFloating()) window_->addToolBar(Qt::LeftToolBarArea, bar_);
    bar_->hide();
    docked_ = false;
    userSettings().setValue(kDockedKey, false);
    palette_->show();
    emit dockedChanged(false);
}

void PaletteDock::floatWhenDragEnds() {
    if (QGuiApplication::mouseButtons() != Qt::NoButton) return;
    floatAt(bar_->isFloating() ? bar_->frameGeometry().topLeft() : palette_->mapToGlobal(QPoint(0, 0)));
}

void PaletteDock::showContextMenu(QPoint at) {
    QMenu menu(palette_);
    QAction* action = docked_ ? menu.addAction(QStringLiteral("Float the Palette"))
                              : menu.addAction(QStringLiteral("Dock in the Window"));
    action->setObjectName(docked_ ? QStringLiteral("floatPaletteAction") : QStringLiteral("dockPaletteAction"));
    if (menu.exec(palette_->mapToGlobal(at)) != action) return;
    if (docked_) {
        floatAt(palette_->mapToGlobal(QPoint(0, 0)) + QPoint(24, 24));
    } else {
        dock();
    }
}

}  // namespace mugwarp
