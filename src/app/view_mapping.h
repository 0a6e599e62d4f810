#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace mugwarp {

// How a picture stretched over the whole view maps to view pixels and back.
// Drawing uses centre sampling (each view pixel shows the picture pixel under
// its centre); pointer positions use the 16.16 reciprocal scales so that a
// position converts the same way at every zoom the brush has always used.
class ViewMapping {
public:
    ViewMapping() = default;
    ViewMapping(QSize pictureSize, QSize viewSize);

    QSize pictureSize() const { return picture_; }
    QSize viewSize() const { return view_; }
    bool isEmpty() const { return picture_.isEmpty() || view_.isEmpty(); }

    // How many view pixels one picture pixel spans (the zoom as the view
    // really has it, truncation of the view's size included); 0 when empty.
    double viewPixelsPerPicturePixel() const;

    // View (control) position to picture pixels: x = X * sx / 65536 with sx the
    // rounded 16.16 ratio picture / view, 32-bit products, truncating division.
    QPoint viewToPicture(QPoint viewPoint) const;

    // The picture column / row shown by a view column / row (centre sampling).
    int pictureColumnAt(int viewX) const;
    int pictureRowAt(int viewY) const;

    // The view pixels that show any part of a picture rectangle, clipped to the view.
    QRect pictureRectToView(const QRect& pictureRect) const;

    // Source columns for view columns [first, first + count).
    std::vector<int> pictureColumns(int first, int count) const;

private:
    QSize picture_;
    QSize view_;
    int scaleX_ = 0;  // 16.16
    int scaleY_ = 0;
};

}  // namespace mugwarp
