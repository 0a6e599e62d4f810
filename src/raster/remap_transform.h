#pragma once
#include <optional>

#include "raster/displacement_map.h"
#include "raster/fixed.h"
#include "raster/geometry.h"

namespace mugwarp {

class PixelSurface;

// Renders a destination from a source through a displacement map: destination
// pixel (x, y) with vector (vx, vy) samples the source at (x + vx, y + vy)
// (in the configuration the document uses: map, source and mapping rectangle
// all of the source's size).
class RemapTransform {
public:
    RemapTransform() { map_.setSize(1, 1); }

    DisplacementMap& displacementMap() { return map_; }
    const DisplacementMap& displacementMap() const { return map_; }

    FloatRect srcRect() const { return srcRect_; }
    void setSrcRect(const FloatRect& r) { srcRect_ = r; valid_ = false; }
    FloatRect mappingRect() const { return mappingRect_; }
    void setMappingRect(const FloatRect& r) { mappingRect_ = r; valid_ = false; }

    // Computes the derived values; Error("SrcRect is empty!") / ("MappingRect is empty!").
    void prepare();
    bool isPrepared() const { return valid_; }
    // Destination point to source point, both 16.16. Needs prepare(). With the
    // map the source's size and both rectangles its bounds this is exactly
    // (x + vx, y + vy) for the interpolated vector (vx, vy).
    void reverseTransform(Fixed x, Fixed y, Fixed& sourceX, Fixed& sourceY) const;
    // Unbounded: only the destination and the caller's clip limit a rendering.
    Rect transformedBounds() const;

    // Factor on the vectors and shift of the lookup into the map; (1, 1) and
    // (0, 0) unless changed.
    void setScaling(float x, float y) { scalingX_ = x; scalingY_ = y; valid_ = false; }
    void setOffset(Fixed x, Fixed y) { offsetX_ = x; offsetY_ = y; }

private:
    friend struct RemapKernel;
    DisplacementMap map_;
    FloatRect srcRect_{};
    FloatRect mappingRect_{};
    float scalingX_ = 1, scalingY_ = 1;
    Fixed offsetX_ = 0, offsetY_ = 0;
    // Derived by prepare().
    float srcTransX_ = 0, srcTransY_ = 0, srcScaleX_ = 1, srcScaleY_ = 1;
    float dstTransX_ = 0, dstTransY_ = 0, dstScaleX_ = 1, dstScaleY_ = 1;
    float combScaleX_ = 1, combScaleY_ = 1;
    Fixed fxSrcTransX_ = 0, fxSrcTransY_ = 0, fxSrcScaleX_ = kFixedOne, fxSrcScaleY_ = kFixedOne;
    Fixed fxDstTransX_ = 0, fxDstTransY_ = 0, fxDstScaleX_ = kFixedOne, fxDstScaleY_ = kFixedOne;
    Fixed fxCombScaleX_ = kFixedOne, fxCombScaleY_ = kFixedOne;
    // Destination position to source position, and vector to source offset.
    Fixed fxDstToSrcX_ = kFixedOne, fxDstToSrcY_ = kFixedOne;
    Fixed fxVecToSrcX_ = kFixedOne, fxVecToSrcY_ = kFixedOne;
    bool valid_ = false;
};

// Renders destination ∩ clip from source through the remap, writing each sample
// by the source's draw mode; raises the destination's change notification.
// Prepares the remap first when needed (and so may throw its errors before
// anything is drawn).
void transform(PixelSurface& destination, const PixelSurface& source, RemapTransform& remap,
               std::optional<Rect> clip = std::nullopt);

// The same rendering through the plain per-pixel path, pixel for pixel the
// arithmetic transform() must reproduce; kept for checking faster paths.
void transformReference(PixelSurface& destination, const PixelSurface& source, RemapTransform& remap,
                        std::optional<Rect> clip = std::nullopt);

}  // namespace mugwarp
