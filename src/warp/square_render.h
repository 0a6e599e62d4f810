#pragma once
#include "raster/geometry.h"
#include "warp/kernel_choice.h"
#include "warp/source_sampling.h"

namespace mugwarp {

struct WarpCanvas;

// Re-renders rect of the display from the source through the deformation:
// every pixel becomes exactly the source sample there (the rectangle is
// cleared to transparent first, and the source merges onto it). Returns the
// part of rect inside the display.
Rect renderSquare(WarpCanvas& canvas, const Rect& rect);

// The same as renderSquare, but where canRenderDirectly it renders each row
// itself from the map with the brush's own row kernels, which gives the same
// pixels without the general remap's set-up.
Rect renderArea(WarpCanvas& canvas, const Rect& rect);

// Renders single rows of a canvas that canRenderDirectly, from the map as it
// is, with the brush's own row kernels: a brush that reworks the map row by
// row renders each row while its vectors are still in cache.
class RowRenderer {
public:
    explicit RowRenderer(WarpCanvas& canvas);
    // Display pixels first..last (inclusive) of row y.
    void render(int y, int first, int last) const;

private:
    WarpCanvas& canvas_;
    BilinearSource sample_;
    warp_detail::RowKernels kernels_;
};

// Whether the canvas is set up as the document sets it up: source, display
// and map of one size, source and mapping rectangles equal to the bounds (so
// display pixel (x, y) samples the source at (x, y) plus its vector, with no
// scaling), and a bilinear source that merges at full opacity (so that over
// the cleared square each pixel is exactly its sample). Then a brush
// application may write the display pixels itself as it composes the vectors.
bool canRenderDirectly(const WarpCanvas& canvas);

}  // namespace mugwarp
