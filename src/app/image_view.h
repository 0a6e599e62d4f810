#pragma once
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include "app/view_mapping.h"

class QPainter;

namespace mugwarp {

class PixelSurface;


// What the view draws over the picture besides the brush outline: the overlay
// objects and their selection frame. renderInto composes into the paint
// buffer, whose top-left pixel shows view pixel viewArea.topLeft();
// paintOver draws with a painter in view pixels afterwards.
class ViewLayers {
public:
    virtual ~ViewLayers() = default;
    virtual void renderInto(QImage& buffer, const QRect& viewArea) const = 0;
    virtual void paintOver(QPainter& painter, const QRect& viewArea) const = 0;
};

// Shows the document's display surface stretched over the whole widget, pixel
// blocks without smoothing, on an 8 x 8 grey and white checkerboard that shows
// through transparent pixels, with the warp brush outline on top. It turns the
// mouse into signals in view pixels and repaints only what it is told changed.
class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    // The surface stays owned by the document; nullptr shows nothing.
    void setSurface(const PixelSurface* surface);
    const PixelSurface* surface() const { return surface_; }

    // Sets the widget's size; the picture is stretched over all of it.
    void setViewSize(QSize size);
    const ViewMapping& mapping() const { return mapping_; }
    QPoint viewToPicture(QPoint viewPoint) const { return mapping_.viewToPicture(viewPoint); }

    // The surface changed inside a rectangle of picture pixels.
    void pictureChanged(const QRect& pictureRect);
    // The surface was replaced or resized: everything is stale.
    void pictureReplaced();

    void setCheckerboardVisible(bool visible);

    // Not owned; nullptr draws none.
    void setLayers(const ViewLayers* layers) { layers_ = layers; }
    // Drawn over the layers (the freeze mask and the mesh); not owned.
    void setGuides(const ViewLayers* guides) { guides_ = guides; }

    // The pen's pressure (0..1) with the last press, move or release; 1 for
    // the mouse.
    double penPressure() const { return penPressure_; }

    // The brush outline: a circle round the disc the brush changes, whose
    // size (diameter) is given in picture pixels and drawn at the view's zoom.
    // Visible means wanted: it is drawn only while the pointer is over the view.
    void setBrushOutlineVisible(bool visible);
    void setBrushOutlineSize(int picturePixels);
    void moveBrushOutline(QPoint centre);
    bool brushOutlineVisible() const { return outlineVisible_; }
    bool brushOutlineDrawn() const { return outlineVisible_ && pointerInside_; }
    // The radius as drawn, from the centre pixel to the outermost pixels the
    // brush reaches: in view pixels, and rounded to whole view pixels.
    double brushOutlineViewRadius() const;
    int brushOutlineRadius() const;
    QPoint brushOutlineCentre() const { return outlineCentre_; }

    // What the last change notification asked to repaint, in view pixels.
    QRect lastRepaintRequest() const { return lastRepaintRequest_; }

    static constexpr QRgb kCheckerGrey = 0xFFB0B0B0;
    static constexpr QRgb kCheckerWhite = 0xFFFFFFFF;

signals:
    void pressed(QPoint viewPoint, Qt::MouseButton button, Qt::MouseButtons buttons);
    void moved(QPoint viewPoint, Qt::MouseButtons buttons);
    void released(QPoint viewPoint, Qt::MouseButton button, Qt::MouseButtons buttons);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void updateMapping();
    QRect outlineBounds() const;
    QRegion outlineRegion() const;
    void requestRepaint(const QRect& viewRect);

    const PixelSurface* surface_ = nullptr;
    const ViewLayers* layers_ = nullptr;
    const ViewLayers* guides_ = nullptr;
    double penPressure_ = 1.0;
    ViewMapping mapping_;
    bool checkerboardVisible_ = true;
    bool outlineVisible_ = false;
    bool pointerInside_ = false;
    int outlineSize_ = 100;  // picture pixels
    QPoint outlineCentre_{-10000, -10000};
    QRect lastRepaintRequest_;
    QImage paintBuffer_;
};

}  // namespace mugwarp
