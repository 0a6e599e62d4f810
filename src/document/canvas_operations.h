#pragma once

namespace mugwarp {

class Document;
class PixelSurface;

// The Edit menu's operations on the picture as a whole. Each works on what is
// displayed (baking the deformation in), keeps the display as the undo
// picture with its size, and makes the result the new source with a
// transparent border. Zoom and view size are the application's business.

// What the Image Size dialog offers for a width x height picture: a tenth of
// each side (at least 10) up to ten times it (at most 5000).
struct ImageSizeLimits {
    int minWidth = 0, maxWidth = 0, minHeight = 0, maxHeight = 0;
};
ImageSizeLimits imageSizeLimits(int width, int height);
// With proportions constrained: the other side for a typed one, as
// startOther / 100 x (typed / (startSide / 100)), in floating point.
double proportionalSide(int startSide, int startOther, int typed);

// Nearest-pixel stretch: each target pixel takes one source pixel, rows and
// columns are dropped or repeated, nothing is averaged.
void stretchNearest(const PixelSurface& source, PixelSurface& target);

// Image Size. The new picture is made before anything changes, so a size
// that cannot be had throws and leaves the document as it was. Sizes below 1
// count as 1.
void resizePicture(Document& document, int width, int height);

enum class Rotation { HalfTurn, Clockwise, CounterClockwise };
void rotatePicture(Document& document, Rotation rotation);

}  // namespace mugwarp
