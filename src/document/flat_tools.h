#pragma once
#include "raster/geometry.h"
#include "raster/platform_bitmap.h"
#include "warp/pixel_point.h"

namespace mugwarp {

class Document;

// The mouse on the flat picture, in picture pixels, for the four flat-image
// tools: Erase and Paint squares, Pick Colour and Crop with its darkened
// preview. The application converts view positions (flatPictureCoordinate)
// and square sizes (flatSquareSize) and repaints what the calls report.
class FlatTools {
public:
    explicit FlatTools(Document& document) : document_(document) {}

    struct Result {
        Rect flatChanged;            // flat picture pixels to repaint
        bool colourPicked = false;   // the paint colour changed and Paint is now the tool
        bool cropped = false;        // the picture was cropped and the arrow tool chosen
    };

    // Erase/Paint: snapshot for undo and paint the square of size n at p.
    // Pick Colour: the paint colour := the flat picture's colour at p (as
    // shown: checkerboard grey or white on erased places), then Paint.
    // Crop: start the rectangle at p.
    Result press(PixelPoint p, int n);
    // With the button held: another square, or the crop preview up to p.
    Result move(PixelPoint p, int n);
    // Crop: cuts the source to the dragged rectangle, clipped to the picture.
    // A release without a drag, or with an empty rectangle, crops nothing and
    // takes the preview away.
    Result release();

    bool stroking() const { return stroking_; }
    // The rectangle of the last crop preview (right and bottom exclusive).
    Rect cropRect() const { return cropRect_; }

private:
    Rect showCropPreview(const Rect& crop);
    Rect dropCropPreview();

    Document& document_;
    bool stroking_ = false;
    PixelPoint cropStart_{};
    PixelPoint cropEnd_{};
    Rect cropRect_{};
    bool cropDragged_ = false;
    bool previewShown_ = false;
    Rect previewInside_{};
    PlatformBitmap scratch_;   // the flat picture as it was at the press
    PlatformBitmap darkened_;  // the same, darkened
};

}  // namespace mugwarp
