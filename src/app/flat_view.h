#pragma once
#include <QImage>
#include <QPoint>
#include <QWidget>

#include "app/view_mapping.h"

namespace mugwarp {

class PlatformBitmap;

// The flat picture of the flat-image tools, laid over the view while one of
// them is active: always the view's size, the picture stretched over it as
// blocks and drawn opaque (its transparent places already carry the
// checkerboard). Turns the mouse into signals in view pixels.
class FlatView : public QWidget {
    Q_OBJECT
public:
    // Follows the size of parent, over which it lies at (0, 0).
    explicit FlatView(QWidget* parent);

    // The picture stays owned by the document; nullptr shows nothing.
    void setPicture(const PlatformBitmap* picture);
    // Pixels of the picture changed inside a rectangle of picture pixels.
    void pictureChanged(const QRect& pictureRect);
    // The picture was replaced or resized.
    void pictureReplaced();
    const ViewMapping& mapping() const { return mapping_; }

signals:
    void pressed(QPoint viewPoint, Qt::MouseButton button);
    void moved(QPoint viewPoint, Qt::MouseButtons buttons);
    void released(QPoint viewPoint, Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateMapping();

    const PlatformBitmap* picture_ = nullptr;
    ViewMapping mapping_;
    QImage buffer_;
};

}  // namespace mugwarp
