#include "app/tool_palette.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QMoveEvent>
#include <QColorDialog>
#include <QKeySequence>
#include <QMenu>
#include <QProxyStyle>
#include <QToolButton>

#include "app/palette_artwork.h"
#include "app/tool_table.h"

namespace mugwarp {

namespace {

constexpr int kButtonEdge = 30;
constexpr int kPitch = 32;
const QSize kSwatch(40, 12);
constexpr int kSizePictureEdge = 32;
constexpr int kButtonRows = 9;

PalettePicture pictureOf(ToolPalette::Button which) {
    using B = ToolPalette::Button;
    switch (which) {
    case B::Arrow: return PalettePicture::Arrow;
    case B::Delete: return PalettePicture::Delete;
    case B::ZoomIn: return PalettePicture::ZoomIn;
    case B::ZoomOut: return PalettePicture::ZoomOut;
    case B::Crop: return PalettePicture::Crop;
    case B::Original: return PalettePicture::Original;
    case B::Erase: return PalettePicture::Erase;
    case B::Paint: return PalettePicture::Paint;
    case B::Twirl: return PalettePicture::Twirl;
    case B::PickColour: return PalettePicture::Pick;
    case B::Putty: return PalettePicture::Putty;
    case B::Warp: return PalettePicture::Warp;
    case B::Text: return PalettePicture::Text;
    case B::Clipart: return PalettePicture::Clipart;
    case B::Reconstruct: return PalettePicture::Reconstruct;
    case B::Smooth: return PalettePicture::Smooth;
    case B::Freeze: return PalettePicture::Freeze;
    case B::Thaw: return PalettePicture::Thaw;
    }
    return PalettePicture::Arrow;
}

struct NamedColour {
    const char* name;
    QRgb rgb;
};
constexpr NamedColour kCommonColours[] = {
    {"Black", 0x000000}, {"Maroon", 0x800000}, {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},  {"Purple", 0x800080}, {"Teal", 0x008080},  {"Grey", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},   {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},  {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF}, {"White", 0xFFFFFF},
};

// Menus draw their pictures at the small-icon size, which would halve the
// size pictures: a square of 1 or 3 pixels would all but vanish.
class FullSizePictureStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_SmallIconSize) return kSizePictureEdge;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

ToolPalette::ToolPalette(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mainWindow_(mainWindow),
      askColour_([](QWidget* parent, const QColor& current) {
          return QColorDialog::getColor(current, parent, QStringLiteral("Paint colour"));
      }) {
    setObjectName(QStringLiteral("ToolsForm"));
    setWindowTitle(QStringLiteral("Tools"));
    // The pressed tool must be plain to see at a glance, also on styles whose
    // pressed flat button differs little from a raised one.
    setStyleSheet(QStringLiteral("QToolButton:checked { background-color: rgba(48, 140, 198, 70);"
                                 " border: 1px solid rgb(48, 140, 198); border-radius: 3px; }"));
    toolGroup_ = new QButtonGroup(this);
    toolGroup_->setExclusive(true);
    using B = Button;
    for (const ToolEntry& tool : toolTable()) {
        const QString key = QKeySequence(tool.key).toString(QKeySequence::NativeText);
        addButton(tool.button, tool.column, tool.row, tool.buttonName,
                  QStringLiteral("%1 (%2)").arg(QString::fromUtf8(tool.tip), key));
    }
    addButton(B::Delete, 1, 0, "deleteButton", QStringLiteral("Delete the selected object"));
    addButton(B::ZoomIn, 0, 1, "zoomInButton", QStringLiteral("Zoom in"));
    addButton(B::ZoomOut, 1, 1, "zoomOutButton", QStringLiteral("Zoom out"));
    addButton(B::Original, 1, 2, "originalButton", QStringLiteral("Original size"));
    addButton(B::Text, 0, 6, "textButton", QStringLiteral("Insert text"));
    addButton(B::Clipart, 1, 6, "clipartButton", QStringLiteral("Insert clipart"));
    buildSizeMenu();
    buildColourSelector();
    setFixedSize(2 * kPitch - 2, kButtonRows * kPitch + 32 + 21);
}

void ToolPalette::addButton(Button which, int column, int row, const char* name, const QString& tip) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(tip);
    b->setIcon(paletteIcon(pictureOf(which)));
    b->setIconSize(QSize(24, 24));
    b->setGeometry(column * kPitch, row * kPitch, kButtonEdge, kButtonEdge);
    if (isToolButton(which)) {
        b->setCheckable(true);
        toolGroup_->addButton(b);
    }
    connect(b, &QToolButton::clicked, this, [this, which] {
        emit buttonClicked(which);
        giveFocusBack();
    });
    buttons_[static_cast<std::size_t>(which)] = b;
}

bool ToolPalette::isToolButton(Button which) { return toolEntry(which) != nullptr; }

void ToolPalette::showActiveTool(Button which) {
    if (isToolButton(which)) button(which)->setChecked(true);
}

void ToolPalette::buildSizeMenu() {
    sizeMenu_ = new QMenu(this);
    sizeMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    auto* style = new FullSizePictureStyle;
    style->setParent(sizeMenu_);
    sizeMenu_->setStyle(style);
    const char* const names[] = {"N4", "N5", "N6", "N7", "N8", "N10", "N11"};
    for (std::size_t i = 0; i < kSquareSizes.size(); ++i) {
        const SquareSize item = kSquareSizes[i];
        QAction* action = sizeMenu_->addAction(squareSizeIcon(item.size), QString());
        action->setObjectName(QString::fromLatin1(names[i]));
        action->setToolTip(QStringLiteral("%1 pixels").arg(item.size));
        connect(action, &QAction::triggered, this, [this, item] {
            emit squareSizeChosen(item.size, item.cursorNumber);
            giveFocusBack();
        });
    }
    sizeButton_ = new QToolButton(this);
    sizeButton_->setObjectName(QStringLiteral("SizeDropButton"));
    sizeButton_->setFocusPolicy(Qt::NoFocus);
    sizeButton_->setToolTip(QStringLiteral("Size of the Erase and Paint square"));
    sizeButton_->setIcon(paletteIcon(PalettePicture::SizeDrop));
    sizeButton_->setMenu(sizeMenu_);
    sizeButton_->setPopupMode(QToolButton::InstantPopup);
    sizeButton_->setGeometry(0, kButtonRows * kPitch, 62, 25);
}

void ToolPalette::buildColourSelector() {
    colourMenu_ = new QMenu(this);
    colourMenu_->setObjectName(QStringLiteral("colourMenu"));
    for (const NamedColour& c : kCommonColours) {
        const QColor colour = QColor::fromRgb(c.rgb);
        QAction* action = colourMenu_->addAction(colourSwatch(colour, QSize(16, 16)), QString::fromLatin1(c.name));
        connect(action, &QAction::triggered, this, [this, colour] { chooseColour(colour); });
    }
    colourMenu_->addSeparator();
    QAction* other = colourMenu_->addAction(QStringLiteral("Other\u2026"));
    other->setObjectName(QStringLiteral("otherColour"));
    connect(other, &QAction::triggered, this, [this] {
        const QColor chosen = askColour_(this, colour_);
        if (chosen.isValid()) chooseColour(chosen);
    });
    colourButton_ = new QToolButton(this);
    colourButton_->setObjectName(QStringLiteral("ColorSelector1"));
    colourButton_->setFocusPolicy(Qt::NoFocus);
    colourButton_->setToolTip(QStringLiteral("Paint colour"));
    colourButton_->setMenu(colourMenu_);
    colourButton_->setPopupMode(QToolButton::InstantPopup);
    colourButton_->setIconSize(kSwatch);
    colourButton_->setGeometry(0, kButtonRows * kPitch + 32, 62, 21);
    showColour(colour_);
}

void ToolPalette::showColour(const QColor& colour) {
    colour_ = colour;
    colourButton_->setIcon(colourSwatch(colour_, kSwatch));
}

void ToolPalette::chooseColour(const QColor& colour) {
    showColour(colour);
    emit colourChanged(colour_);
    giveFocusBack();
}

void ToolPalette::giveFocusBack() {
    if (!mainWindow_) return;
    mainWindow_->activateWindow();
    mainWindow_->setFocus(Qt::OtherFocusReason);
}

void ToolPalette::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) emit movedOnScreen(pos());
}

// Only the application closes the palette; the user cannot.
void ToolPalette::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) event->ignore();
    else QWidget::closeEvent(event);
}

}  // namespace mugwarp
