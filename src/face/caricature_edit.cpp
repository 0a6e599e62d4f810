#include "face/caricature_edit.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "face/feature_moves.h"
#include "raster/remap_transform.h"

namespace mugwarp {

namespace {

}  // namespace

CaricatureEdit::CaricatureEdit(Document& document, const LandmarkSet& face, const LandmarkSet& meanShape)
    : document_(document), face_(face), mean_(meanShape) {
    document_.beginUndoableChange();
    // The control points are the same whatever the settings, and so is the
    // region any settings' field fits in.
    region_ = faceWarpRegion(caricatureMoves(face_, mean_, {}).from, document_.display().bounds());
    kept_.setSize(region_.width(), region_.height());
    const DisplacementMap& map = document_.deformation();
    for (int y = region_.top; y < region_.bottom; ++y)
        for (int x = region_.left; x < region_.right; ++x) kept_.setVector(x - region_.left, y - region_.top, map.vector(x, y));
}

CaricatureEdit::~CaricatureEdit() {
    if (open_) cancel();
}

double CaricatureEdit::show(const CaricatureSettings& settings) {
    settings_ = settings;
    field_ = FaceWarpField(caricatureMoves(face_, mean_, settings), document_.display().bounds());
    compose();
    return field_.shareApplied();
}

// Deformation under the region := the face's field followed by the kept
// deformation: p shows what the kept deformation showed at p + d(p).
void CaricatureEdit::compose() {
    if (region_.isEmpty()) return;
    WarpCanvas canvas = document_.warpCanvas();
    DisplacementMap& map = canvas.remap.displacementMap();
    // Beyond the kept region the map is as it was, so it can be read there.
    const auto keptAt = [&](int x, int y) -> FixedVector {
        if (region_.contains(x, y)) return kept_.vector(x - region_.left, y - region_.top);
        return map.vectorSafe(x, y);
    };
    for (int y = region_.top; y < region_.bottom; ++y) {
        FixedVector* out = map.row(y);
        const FixedVector* kept = kept_.row(y - region_.top) - region_.left;
        for (int x = region_.left; x < region_.right; ++x) {
            const FacePoint d = field_.at(x, y);
            if (d.x == 0 && d.y == 0) {
                out[x] = kept[x];
                continue;
            }
            const double qx = x + d.x, qy = y + d.y;
            const double fx0 = std::floor(qx), fy0 = std::floor(qy);
            const int x0 = static_cast<int>(fx0), y0 = static_cast<int>(fy0);
            const double fx = qx - fx0, fy = qy - fy0;
            const FixedVector a = keptAt(x0, y0), b = keptAt(x0 + 1, y0), c = keptAt(x0, y0 + 1), e = keptAt(x0 + 1, y0 + 1);
            const double kx = (a.x * (1 - fx) + b.x * fx) * (1 - fy) + (c.x * (1 - fx) + e.x * fx) * fy;
            const double ky = (a.y * (1 - fx) + b.y * fx) * (1 - fy) + (c.y * (1 - fx) + e.y * fx) * fy;
            out[x] = {toFixed(d.x) + static_cast<Fixed>(std::lround(kx)), toFixed(d.y) + static_cast<Fixed>(std::lround(ky))};
        }
    }
    transform(canvas.display, canvas.source, canvas.remap, region_);
}

void CaricatureEdit::accept() {
    if (!open_) return;
    open_ = false;
    document_.commitChange();
}

void CaricatureEdit::cancel() {
    if (!open_) return;
    open_ = false;
    if (!region_.isEmpty()) {
        WarpCanvas canvas = document_.warpCanvas();
        DisplacementMap& map = canvas.remap.displacementMap();
        for (int y = region_.top; y < region_.bottom; ++y)
            std::copy_n(kept_.row(y - region_.top), region_.width(), map.row(y) + region_.left);
        // The pixels come back from the picture kept for undo rather than by
        // rendering again: what was shown need not be a rendering (a fresh
        // load shows the picture itself).
        const PixelSurface& before = document_.undoPicture();
        for (int y = region_.top; y < region_.bottom; ++y)
            std::copy_n(before.row(y) + region_.left, region_.width(), canvas.display.row(y) + region_.left);
        canvas.display.changed(region_);
    }
    field_ = FaceWarpField();
    document_.commitChange();  // the picture is as it was: no step
}

double applyCaricature(Document& document, const LandmarkSet& face, const LandmarkSet& meanShape,
                       const CaricatureSettings& settings) {
    CaricatureEdit edit(document, face, meanShape);
    const double share = edit.show(settings);
    edit.accept();
    return share;
}

}  // namespace mugwarp
