#include "warp/warp_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>

#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "warp/brush_application.h"
#include "warp/brush_meshes.h"
#include "warp/square_render.h"
#include "warp/warp_canvas.h"

namespace mugwarp {

namespace {

// (a + b) / 2 rounded to nearest, halves to even.
Fixed halfEvenAverage(Fixed a, Fixed b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<Fixed>(std::nearbyint(static_cast<double>(sum) / 2.0));
}

// Largest |Y| of the mesh. The extremes are kept in 32 bits, which vectorises,
// and only the final magnitude is widened (|-2^31| does not fit 32 bits).
std::int64_t largestVerticalMove(const DisplacementMap& mesh) {
    Fixed lowest = 0;
    Fixed highest = 0;
    for (int y = 0; y < mesh.height(); ++y) {
        const FixedVector* row = mesh.row(y);
        for (int x = 0; x < mesh.width(); ++x) {
            lowest = std::min(lowest, row[x].y);
            highest = std::max(highest, row[x].y);
        }
    }
    return std::max<std::int64_t>(highest, -static_cast<std::int64_t>(lowest));
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

void WarpEngine::setPenPressure(double pressure) {
    const double stepped = std::nearbyint(std::clamp(std::isnan(pressure) ? 1.0 : pressure, 0.0, 1.0) * 64.0) / 64.0;
    if (stepped == penPressure_) return;
    penPressure_ = stepped;
    penFixed_ = toFixed(stepped);
    if (pressureMode_ == PressureMode::Size) updateBrushes();
}

void WarpEngine::setPressureMode(PressureMode mode) {
    if (mode == pressureMode_) return;
    pressureMode_ = mode;
    updateBrushes();
}

std::uint32_t WarpEngine::fieldStrength() const {
    double s = effectStrength(effect_);
    if (pressureMode_ == PressureMode::Strength) s *= penPressure_;
    return static_cast<std::uint32_t>(std::clamp(std::nearbyint(s * 65536.0), 0.0, 65536.0));
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
    activeSize_ = size_;
    if (pressureMode_ == PressureMode::Size) {
        activeSize_ = std::max(kMinSize, static_cast<int>(std::lround(size_ * penPressure_)));
    }
    const int size = activeSize_;
    if (brushKind(tool_) != BrushKind::Mesh) {
        // Reconstruct, Smooth, Freeze and Thaw weigh with the straight cone
        // whatever Effect, which sets their strength instead of the shape.
        WarpBrush cone = brush_;
        cone.setPinch(0.0);
        weights_ = buildBrushWeights(cone, size);
        return;
    }
    meshes_[0].setSize(size, size);
    meshes_[1].setSize(size, size);
    scratch_.setSize(size, size);
    buildBrushMeshes();
}

void WarpEngine::buildBrushMeshes() {
    mugwarp::buildBrushMeshes(tool_, brush_, meshes_);
    for (std::size_t i = 0; i < meshes_.size(); ++i) {
        meshReachY_[i] = largestVerticalMove(meshes_[i]);
        meshSpans_[i] = nonZeroColumns(meshes_[i]);
    }
}

void WarpEngine::beginStroke(PixelPoint topLeft, int meshIndex) {
    setStrokeMesh(meshIndex);
    last_ = topLeft;
    dragX_ = 0;
    dragY_ = 0;
}

Rect WarpEngine::applyBrush(WarpCanvas& canvas, PixelPoint at) {
    const Rect rendered = brushKind(tool_) == BrushKind::Mesh ? applyMesh(canvas, at) : applyField(canvas, at);
    last_ = at;
    return rendered;
}

void WarpEngine::runField(const FieldApplication& application, DisplacementMap& map, const RowDone& rowDone) {
    if (tool_ == WarpTool::Smooth) {
        smoothField(application, smoothRadius(), map, smoothSums_, rowDone);
    } else {
        reconstructField(application, map, rowDone);
    }
}

Rect WarpEngine::applyField(WarpCanvas& canvas, PixelPoint at) {
    DisplacementMap& map = canvas.remap.displacementMap();
    const int size = activeSize_;
    const bool masked =
        canvas.freeze != nullptr && canvas.freeze->width() == map.width() && canvas.freeze->height() == map.height();
    const FieldApplication application{
        weights_, fieldStrength(), masked ? canvas.freeze : nullptr, at,
        std::max(0, -at.x), std::min(at.x + size - 1, map.width() - 1) - at.x,
        std::max(0, -at.y), std::min(at.y + size - 1, map.height() - 1) - at.y};
    if (application.isEmpty()) return {};
    switch (tool_) {
        case WarpTool::Freeze:
        case WarpTool::Thaw:
            // The mask has the picture's size, or none when nothing has been
            // frozen yet (and so nothing can be thawed).
            if (!masked) return {};
            // The right button does the other one's work.
            paintFreezeMask(application, (tool_ == WarpTool::Thaw) != (strokeMesh_ == 1), *canvas.freeze);
            return application.mapArea();
        default: break;
    }
    const Rect area = application.mapArea();
    if (!canRenderDirectly(canvas)) {
        runField(application, map, [](int, int, int) {});
        return renderSquare(canvas, area);
    }
    // Each row is rendered as soon as it is written, while its vectors are in cache.
    const RowRenderer rows(canvas);
    runField(application, map, [&rows](int y, int first, int last) { rows.render(y, first, last); });
    const Rect rendered = area.intersected(canvas.display.bounds());
    canvas.display.changed(rendered);
    return rendered;
}

Rect WarpEngine::applyMesh(WarpCanvas& canvas, PixelPoint at) {
    DisplacementMap& map = canvas.remap.displacementMap();
    const int size = activeSize_;
    // Putty has one mesh; its multipliers carry the direction, so the right
    // button drags exactly like the left.
    const int meshIndex = tool_ == WarpTool::Putty ? 0 : strokeMesh_;
    const DisplacementMap& mesh = meshes_[meshIndex];

    Fixed multiplierX = kFixedOne;
    Fixed multiplierY = kFixedOne;
    if (tool_ == WarpTool::Putty) {
        // Half of the new motion plus half of the old: smooths jerky input.
        dragX_ = halfEvenAverage(toFixed(last_.x - at.x), dragX_);
        dragY_ = halfEvenAverage(toFixed(last_.y - at.y), dragY_);
        multiplierX = dragX_;
        multiplierY = dragY_;
    }
    if (pressureMode_ == PressureMode::Strength && penFixed_ != kFixedOne) {
        multiplierX = fixedMul(multiplierX, penFixed_);
        multiplierY = fixedMul(multiplierY, penFixed_);
    }

    const bool frozen =
        canvas.freeze != nullptr && canvas.freeze->width() == map.width() && canvas.freeze->height() == map.height();

    const BrushApplication application{
        mesh, map, scratch_, at, multiplierX, multiplierY,
        std::max(0, -at.x), std::min(at.x + size - 1, map.width() - 1) - at.x,
        std::max(0, -at.y), std::min(at.y + size - 1, map.height() - 1) - at.y,
        ((std::abs(static_cast<std::int64_t>(multiplierY)) * meshReachY_[meshIndex]) >> 16) + 1,
        meshSpans_[meshIndex], frozen ? canvas.freeze : nullptr};
    const Rect square{at.x, at.y, at.x + size, at.y + size};
    Rect rendered;
    if (canRenderDirectly(canvas)) {
        // One pass composes the vectors and renders the pixels they now show.
        composeAndRender(application, canvas.source, canvas.display);
        rendered = square.intersected(canvas.display.bounds());
        canvas.display.changed(rendered);
    } else {
        composeIntoScratch(application);
        copyScratchBack(application);
        rendered = renderSquare(canvas, square);
    }
    return rendered;
}

}  // namespace mugwarp
