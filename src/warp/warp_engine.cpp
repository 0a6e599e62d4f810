#include "warp/warp_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "raster/remap_transform.h"
#include "warp/brush_meshes.h"
#include "warp/square_render.h"
#include "warp/vector_sampling.h"
#include "warp/warp_canvas.h"

namespace mugwarp {

namespace {

// (a + b) / 2 rounded to nearest, halves to even.
Fixed halfEvenAverage(Fixed a, Fixed b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<Fixed>(std::nearbyint(static_cast<double>(sum) / 2.0));
}

}  // namespace

WarpEngine::WarpEngine() {
    // The brush starts as the main window leaves it after creation: meshes for
    // Putty, pressure 0.5, straight cone, soft rim.
    brush_.setPressure(0.5);
    brush_.setPinch(0.0);
    brush_.setFeather(0.5);
    updateBrushes();
}

void WarpEngine::setSize(int size) {
    size_ = std::clamp(size, kMinSize, kMaxSize);
    updateBrushes();
}

void WarpEngine::setEffect(int effect) {
    effect_ = std::clamp(effect, kMinEffect, kMaxEffect);
    brush_.setPinch(effect_ / 100.0);
    updateBrushes();
}

void WarpEngine::setTool(WarpTool tool) {
    tool_ = tool;
    brush_.setPressure(toolPressure(tool));
    updateBrushes();
}

void WarpEngine::updateBrushes() {
    meshes_[0].setSize(size_, size_);
    meshes_[1].setSize(size_, size_);
    scratch_.setSize(size_, size_);
    buildBrushMeshes();
}

void WarpEngine::buildBrushMeshes() { mugwarp::buildBrushMeshes(tool_, brush_, meshes_); }

void WarpEngine::beginStroke(PixelPoint topLeft, int meshIndex) {
    setStrokeMesh(meshIndex);
    last_ = topLeft;
    dragX_ = 0;
    dragY_ = 0;
}

Rect WarpEngine::applyBrush(WarpCanvas& canvas, PixelPoint at) {
    DisplacementMap& map = canvas.remap.displacementMap();
    const int size = size_;
    // Putty has one mesh; its multipliers carry the direction, so the right
    // button drags exactly like the left.
    const DisplacementMap& mesh = meshes_[tool_ == WarpTool::Putty ? 0 : strokeMesh_];

    Fixed multiplierX = kFixedOne;
    Fixed multiplierY = kFixedOne;
    if (tool_ == WarpTool::Putty) {
        // Half of the new motion plus half of the old: smooths jerky input.
        dragX_ = halfEvenAverage(toFixed(last_.x - at.x), dragX_);
        dragY_ = halfEvenAverage(toFixed(last_.y - at.y), dragY_);
        multiplierX = dragX_;
        multiplierY = dragY_;
    }

    const int firstColumn = std::max(0, -at.x);
    const int lastColumn = std::min(at.x + size - 1, map.width() - 1) - at.x;
    const int firstRow = std::max(0, -at.y);
    const int lastRow = std::min(at.y + size - 1, map.height() - 1) - at.y;
    if (firstColumn <= lastColumn && firstRow <= lastRow) {
        // First pass into the scratch map, so that every read sees the
        // deformation as it was before this application.
        for (int t = firstRow; t <= lastRow; ++t) {
            const FixedVector* brushRow = mesh.row(t);
            FixedVector* out = scratch_.row(t);
            const Fixed y = toFixed(at.y + t);
            for (int s = firstColumn; s <= lastColumn; ++s) {
                const FixedVector b{fixedMul(multiplierX, brushRow[s].x), fixedMul(multiplierY, brushRow[s].y)};
                const FixedVector v = sampleDisplacement(map, detail::wrapAdd(toFixed(at.x + s), b.x), detail::wrapAdd(y, b.y));
                out[s] = {detail::wrapAdd(v.x, b.x), detail::wrapAdd(v.y, b.y)};
            }
        }
        const std::size_t rowBytes = static_cast<std::size_t>(lastColumn - firstColumn + 1) * sizeof(FixedVector);
        for (int t = firstRow; t <= lastRow; ++t) {
            std::memcpy(map.row(at.y + t) + at.x + firstColumn, scratch_.row(t) + firstColumn, rowBytes);
        }
    }

    const Rect rendered = renderSquare(canvas, {at.x, at.y, at.x + size, at.y + size});
    last_ = at;
    return rendered;
}

}  // namespace mugwarp
