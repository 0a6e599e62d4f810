#include "face/caricature_edit.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "face/feature_moves.h"
#include "raster/remap_transform.h"
#include "raster/samplers.h"

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
        for (int x = region_.left; x < region_.right; ++x) {
            const FixedVector v = map.vector(x, y);
            kept_.setVector(x - region_.left, y - region_.top, v);
            keptIsZero_ = keptIsZero_ && v == FixedVector{};
        }
}

CaricatureEdit::~CaricatureEdit() {
    if (open_) cancel();
}

double CaricatureEdit::show(const CaricatureSettings& settings, int previewStep) {
    settings_ = settings;
    field_ = FaceWarpField(caricatureMoves(face_, mean_, settings), document_.display().bounds());
    if (field_.isIdentity()) {
        // Nothing to show: the picture as it was, and no change under way
        // when nothing was shown yet (opening the panel changes nothing).
        if (shown_) putBack();
        shown_ = previewOnly_ = false;
        return field_.shareApplied();
    }
    shown_ = true;
    previewOnly_ = previewStep > 1;
    if (previewOnly_) composePreview(previewStep);
    else compose();
    return field_.shareApplied();
}

// The map is left as kept; only the display shows the preview.
void CaricatureEdit::composePreview(int step) {
    WarpCanvas canvas = document_.warpCanvas();
    const DisplacementMap& map = canvas.remap.displacementMap();
    PixelSurface& display = canvas.display;
    for (int y = region_.top; y < region_.bottom; y += step) {
        const int rows = std::min(step, region_.bottom - y);
        for (int x = region_.left; x < region_.right; x += step) {
            const FacePoint d = field_.at(x, y);
            double vx = d.x, vy = d.y;
            const double qx = x + d.x, qy = y + d.y;
            const int x0 = static_cast<int>(std::floor(qx)), y0 = static_cast<int>(std::floor(qy));
            // Near enough for a preview: the kept vector of the pixel the
            // face's field leads to.
            const FixedVector k = region_.contains(x0, y0) ? kept_.vector(x0 - region_.left, y0 - region_.top)
                                                           : map.vectorSafe(x0, y0);
            vx += k.x / 65536.0;
            vy += k.y / 65536.0;
            const Argb colour = sample(canvas.source, toFixed(x + vx), toFixed(y + vy));
            const int columns = std::min(step, region_.right - x);
            for (int r = 0; r < rows; ++r) std::fill_n(display.row(y + r) + x, columns, colour);
        }
    }
    display.changed(region_);
}

// Deformation under the region := the face's field followed by the kept
// deformation: p shows what the kept deformation showed at p + d(p). Rows
// are walked cell by cell over the field's grid; where a cell's four nodes
// are zero the kept vectors are copied unchanged.
void CaricatureEdit::compose() {
    if (region_.isEmpty()) return;
    WarpCanvas canvas = document_.warpCanvas();
    DisplacementMap& map = canvas.remap.displacementMap();
    // Beyond the kept region the map is as it was, so it can be read there.
    const auto keptAt = [&](int x, int y) -> FixedVector {
        if (region_.contains(x, y)) return kept_.vector(x - region_.left, y - region_.top);
        return map.vectorSafe(x, y);
    };
    const FaceWarpField& f = field_;
    const Rect fr = f.isIdentity() ? Rect{} : f.region();
    const double inverseStep = f.isIdentity() ? 1.0 : 1.0 / f.step();
    for (int y = region_.top; y < region_.bottom; ++y) {
        FixedVector* out = map.row(y);
        const FixedVector* kept = kept_.row(y - region_.top) - region_.left;
        if (y < fr.top || y >= fr.bottom) {
            std::copy_n(kept + region_.left, region_.width(), out + region_.left);
            continue;
        }
        const int j = (y - fr.top) / f.step();
        const double fy = ((y - fr.top) - j * f.step()) * inverseStep;
        const FacePoint* top = &f.node(0, j);
        const FacePoint* bottom = &f.node(0, j + 1);
        for (int x = region_.left; x < region_.right; ++x) {
            if (x < fr.left || x >= fr.right) {
                out[x] = kept[x];
                continue;
            }
            const int i = (x - fr.left) / f.step();
            const FacePoint &a = top[i], &b = top[i + 1], &c = bottom[i], &e = bottom[i + 1];
            if (a.x == 0 && a.y == 0 && b.x == 0 && b.y == 0 && c.x == 0 && c.y == 0 && e.x == 0 && e.y == 0) {
                out[x] = kept[x];
                continue;
            }
            const double fx = ((x - fr.left) - i * f.step()) * inverseStep;
            const double dx = (a.x * (1 - fx) + b.x * fx) * (1 - fy) + (c.x * (1 - fx) + e.x * fx) * fy;
            const double dy = (a.y * (1 - fx) + b.y * fx) * (1 - fy) + (c.y * (1 - fx) + e.y * fx) * fy;
            const double qx = x + dx, qy = y + dy;
            const double fx0 = std::floor(qx), fy0 = std::floor(qy);
            const int x0 = static_cast<int>(fx0), y0 = static_cast<int>(fy0);
            if (keptIsZero_ && region_.contains(x0, y0) && region_.contains(x0 + 1, y0 + 1)) {
                out[x] = {toFixed(dx), toFixed(dy)};
                continue;
            }
            const double tx = qx - fx0, ty = qy - fy0;
            const FixedVector p = keptAt(x0, y0), q = keptAt(x0 + 1, y0), r = keptAt(x0, y0 + 1), t = keptAt(x0 + 1, y0 + 1);
            const double kx = (p.x * (1 - tx) + q.x * tx) * (1 - ty) + (r.x * (1 - tx) + t.x * tx) * ty;
            const double ky = (p.y * (1 - tx) + q.y * tx) * (1 - ty) + (r.y * (1 - tx) + t.y * tx) * ty;
            out[x] = {toFixed(dx) + static_cast<Fixed>(std::lround(kx)), toFixed(dy) + static_cast<Fixed>(std::lround(ky))};
        }
    }
    transform(canvas.display, canvas.source, canvas.remap, region_);
}

// The pixels come back from the picture kept for undo rather than by
// rendering again: what was shown need not be a rendering (a fresh load shows
// the picture itself). A document that keeps no history keeps no such
// picture: there the deformation in the map is rendered.
void CaricatureEdit::restoreShownPixels(WarpCanvas& canvas) {
    const PixelSurface& before = document_.undoPicture();
    if (before.width() == canvas.display.width() && before.height() == canvas.display.height()) {
        for (int y = region_.top; y < region_.bottom; ++y)
            std::copy_n(before.row(y) + region_.left, region_.width(), canvas.display.row(y) + region_.left);
        canvas.display.changed(region_);
    } else {
        transform(canvas.display, canvas.source, canvas.remap, region_);
    }
}

void CaricatureEdit::accept() {
    if (!open_) return;
    if (previewOnly_) {
        // The final rendering blends onto the picture as it was, exactly as
        // without a preview, not onto the preview's blocks.
        WarpCanvas canvas = document_.warpCanvas();
        restoreShownPixels(canvas);
        compose();
    }
    previewOnly_ = false;
    open_ = false;
    document_.commitChange();
}

void CaricatureEdit::putBack() {
    if (region_.isEmpty()) return;
    WarpCanvas canvas = document_.warpCanvas();
    DisplacementMap& map = canvas.remap.displacementMap();
    for (int y = region_.top; y < region_.bottom; ++y)
        std::copy_n(kept_.row(y - region_.top), region_.width(), map.row(y) + region_.left);
    restoreShownPixels(canvas);
}

void CaricatureEdit::cancel() {
    if (!open_) return;
    open_ = false;
    if (shown_) putBack();
    shown_ = previewOnly_ = false;
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
