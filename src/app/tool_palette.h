#pragma once
#include <QColor>
#include <QWidget>
#include <array>
#include <functional>

class QButtonGroup;
class QMenu;
class QToolButton;

namespace mugwarp {

// The floating "Tools" window: eighteen tool and command buttons, the
// Erase/Paint square size drop-down and the paint colour selector. It stays
// on top of the main window and cannot be closed by the user. Each button
// runs its command and then gives the keyboard focus back to the main window,
// so that the arrow keys and the wheel act on the picture.
class ToolPalette : public QWidget {
    Q_OBJECT
public:
    enum class Button {
        Arrow, Delete, ZoomIn, ZoomOut, Crop, Original, Erase, Paint, Twirl, PickColour, Putty, Warp, Text, Clipart,
        Reconstruct, Smooth, Freeze, Thaw
    };
    static constexpr int kButtonCount = 18;

    struct SquareSize {
        int size;          // edge of the square in view pixels
        int cursorNumber;  // the view's cursor for it
    };
    // The size menu's items, top to bottom.
    static constexpr std::array<SquareSize, 7> kSquareSizes{{{1, 1}, {3, 2}, {6, 3}, {10, 4}, {14, 5}, {18, 6}, {26, 7}}};

    explicit ToolPalette(QWidget* mainWindow);

    QToolButton* button(Button which) const { return buttons_[static_cast<std::size_t>(which)]; }
    // The tool buttons (those of the tool table) stay pressed while their
    // tool is active, one at a time.
    static bool isToolButton(Button which);
    // Presses the button of the tool now active; the window calls this after
    // every change of tool, however it was chosen.
    void showActiveTool(Button which);
    QButtonGroup* toolGroup() const { return toolGroup_; }
    QToolButton* sizeButton() const { return sizeButton_; }
    QMenu* sizeMenu() const { return sizeMenu_; }
    QToolButton* colourSelector() const { return colourButton_; }
    QMenu* colourMenu() const { return colourMenu_; }

    QColor colour() const { return colour_; }
    // Shows a colour without reporting a change (after a pick).
    void showColour(const QColor& colour);
    // The user chose a colour: shows it and reports colourChanged.
    void chooseColour(const QColor& colour);

    // How "Other..." asks for a colour; a test can answer instead of a dialog.
    using ColourAsker = std::function<QColor(QWidget* parent, const QColor& current)>;
    void setColourAsker(ColourAsker asker) { askColour_ = std::move(asker); }

signals:
    void buttonClicked(ToolPalette::Button which);
    void squareSizeChosen(int size, int cursorNumber);
    void colourChanged(const QColor& colour);
    // The palette moved while on the screen (the user dragged it, or the
    // window manager placed it).
    void movedOnScreen(QPoint frameTopLeft);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void addButton(Button which, int column, int row, const char* name, const QString& tip);
    void buildSizeMenu();
    void buildColourSelector();
    void giveFocusBack();

    QWidget* mainWindow_;
    std::array<QToolButton*, kButtonCount> buttons_{};
    QButtonGroup* toolGroup_ = nullptr;
    QToolButton* sizeButton_ = nullptr;
    QMenu* sizeMenu_ = nullptr;
    QToolButton* colourButton_ = nullptr;
    QMenu* colourMenu_ = nullptr;
    QColor colour_ = Qt::black;
    ColourAsker askColour_;
};

}  // namespace mugwarp
