#pragma once
#include <QObject>
#include <QPoint>
#include <Qt>

class QMainWindow;
class QTimer;
class QToolBar;
class QWidget;

namespace mugwarp {

// Holds the Tools palette in one of two places: floating in its own small
// window, or docked as a vertical tool bar inside the main window's left
// edge, where it cannot cover the picture. Dragging the docked bar out, or
// the palette's context menu, floats it again; the context menu docks it.
// Where it is is remembered for the next start.
class PaletteDock : public QObject {
    Q_OBJECT
public:
    PaletteDock(QMainWindow* window, QWidget* palette);

    bool isDocked() const { return docked_; }
    QToolBar* toolBar() const { return bar_; }
    // Whether the palette was docked when the editor last ended.
    static bool rememberedDocked();

    void dock();
    // Floats the palette with its frame's top-left at a screen position.
    void floatAt(QPoint frameTopLeft);

signals:
    void dockedChanged(bool docked);

private:
    void showContextMenu(QPoint at);
    void floatWhenDragEnds();

    QMainWindow* window_;
    QWidget* palette_;
    QWidget* holder_;
    QToolBar* bar_;
    QTimer* dragWatch_;
    Qt::WindowFlags floatingFlags_;
    bool docked_ = false;
};

}  // namespace mugwarp
