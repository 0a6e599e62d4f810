#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "raster/displacement_map.h"
#include "warp/brush_application.h"
#include "warp/field_brush.h"
#include "raster/geometry.h"
#include "warp/pixel_point.h"
#include "warp/warp_brush.h"
#include "warp/warp_tool.h"

namespace mugwarp {

struct WarpCanvas;

// What a pen's pressure scales: the brush's strength or its size.
enum class PressureMode { Strength, Size };

// The brush, its two meshes (0 for the left button, 1 for the right) and the
// state of the stroke in progress; applies the brush to a canvas.
class WarpEngine {
public:
    static constexpr int kMinSize = 5;
    static constexpr int kMaxSize = 500;
    static constexpr int kMinEffect = -100;
    static constexpr int kMaxEffect = 100;

    // Brush pressure 0.5, pinch 0, feather 0.5, size 100, meshes built for Putty.
    WarpEngine();

    const WarpBrush& brush() const { return brush_; }
    WarpTool tool() const { return tool_; }
    int size() const { return size_; }
    int effect() const { return effect_; }

    // Each rebuilds the meshes for the new setting. Size is clamped to 5..500,
    // effect to -100..100 (pinch = effect / 100). setTool also sets the tool's
    // pressure.
    void setSize(int size);
    void setEffect(int effect);
    void setTool(WarpTool tool);

    // Resizes both meshes and the scratch map to the active size (a mesh that
    // keeps its size keeps its cells until refilled) and refills them; for the
    // tools without meshes, builds the brush's weights instead.
    void updateBrushes();

    // The pen's pressure for the applications that follow, 0..1 (a mouse is
    // 1): scales the strength, or the size, as the mode says. Pressure is
    // taken in steps of 1/64, so that a pen's jitter does not rebuild the
    // meshes at every move.
    void setPenPressure(double pressure);
    double penPressure() const { return penPressure_; }
    void setPressureMode(PressureMode mode);
    PressureMode pressureMode() const { return pressureMode_; }
    // The size the brush has now: size() scaled by the pen in Size mode.
    int activeSize() const { return activeSize_; }
    // The strength s the next Reconstruct, Smooth, Freeze or Thaw application
    // has, in 16.16: effectStrength(effect) times the pen's pressure in
    // Strength mode.
    std::uint32_t fieldStrength() const;
    // Smooth's mean is taken over a square of 2 r + 1 cells, r = size / 16.
    int smoothRadius() const { return std::max(1, activeSize_ / 16); }
    const BrushWeights& weights() const { return weights_; }

    const DisplacementMap& mesh(int index) const { return meshes_[index]; }

    // Starts a stroke whose first brush square has the given top-left corner:
    // nothing is applied yet, the putty drag vector restarts at zero.
    void beginStroke(PixelPoint topLeft, int meshIndex);
    int strokeMesh() const { return strokeMesh_; }
    void setStrokeMesh(int meshIndex) { strokeMesh_ = meshIndex == 0 ? 0 : 1; }
    PixelPoint lastPosition() const { return last_; }

    // One brush application with its square's top-left at topLeft, in picture
    // pixels; re-renders only that square of the display. Returns the part of
    // the display that was rendered (empty when the square misses the picture).
    Rect applyBrush(WarpCanvas& canvas, PixelPoint topLeft);

private:
    void buildBrushMeshes();
    Rect applyMesh(WarpCanvas& canvas, PixelPoint topLeft);
    Rect applyField(WarpCanvas& canvas, PixelPoint topLeft);
    void runField(const FieldApplication& application, DisplacementMap& map, const RowDone& rowDone);

    WarpBrush brush_;
    WarpTool tool_ = WarpTool::Putty;
    int size_ = 100;
    int effect_ = 0;
    std::array<DisplacementMap, 2> meshes_;
    std::array<std::int64_t, 2> meshReachY_{};  // largest |Y| of each mesh, fixed point
    std::array<std::vector<ColumnSpan>, 2> meshSpans_;  // nonZeroColumns of each mesh
    DisplacementMap scratch_;
    BrushWeights weights_;
    std::vector<std::int64_t> smoothSums_;
    double penPressure_ = 1.0;
    Fixed penFixed_ = kFixedOne;
    PressureMode pressureMode_ = PressureMode::Strength;
    int activeSize_ = 100;
    int strokeMesh_ = 0;
    PixelPoint last_;
    Fixed dragX_ = 0;
    Fixed dragY_ = 0;
};

// The top-left corner of the size x size brush square centred on a point.
constexpr PixelPoint brushTopLeft(PixelPoint centre, int size) {
    return {centre.x - size / 2, centre.y - size / 2};
}

}  // namespace mugwarp
