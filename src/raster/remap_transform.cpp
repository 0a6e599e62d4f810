#include "raster/remap_transform.h"

#include "raster/error.h"

namespace mugwarp {

namespace {
// A map one cell wide or high has no span to divide by; that axis then maps
// one to one.
float spanOf(int cells) { return cells > 1 ? static_cast<float>(cells - 1) : 1.0f; }
}  // namespace

void RemapTransform::prepare() {
    if (srcRect_.isEmpty()) throw Error("SrcRect is empty!");
    if (mappingRect_.isEmpty()) throw Error("MappingRect is empty!");
    const float spanX = spanOf(map_.width());
    const float spanY = spanOf(map_.height());
    const bool singleX = map_.width() <= 1;
    const bool singleY = map_.height() <= 1;

    srcTransX_ = srcRect_.left;
    srcTransY_ = srcRect_.top;
    srcScaleX_ = singleX ? 1.0f : (srcRect_.right - srcRect_.left) / spanX;
    srcScaleY_ = singleY ? 1.0f : (srcRect_.bottom - srcRect_.top) / spanY;
    dstTransX_ = mappingRect_.left;
    dstTransY_ = mappingRect_.top;
    dstScaleX_ = singleX ? 1.0f : spanX / (mappingRect_.right - mappingRect_.left);
    dstScaleY_ = singleY ? 1.0f : spanY / (mappingRect_.bottom - mappingRect_.top);
    combScaleX_ = dstScaleX_ * scalingX_;
    combScaleY_ = dstScaleY_ * scalingY_;

    fxSrcTransX_ = toFixed(srcTransX_);
    fxSrcTransY_ = toFixed(srcTransY_);
    fxSrcScaleX_ = toFixed(srcScaleX_);
    fxSrcScaleY_ = toFixed(srcScaleY_);
    fxDstTransX_ = toFixed(dstTransX_);
    fxDstTransY_ = toFixed(dstTransY_);
    fxDstScaleX_ = toFixed(dstScaleX_);
    fxDstScaleY_ = toFixed(dstScaleY_);
    fxCombScaleX_ = toFixed(combScaleX_);
    fxCombScaleY_ = toFixed(combScaleY_);
    // The destination scale and the source scale are applied as one factor
    // each for positions and for vectors, multiplied here in floating point.
    // Rounding the two scales to 16.16 separately and applying them one after
    // the other would miss the identity by up to 1/65536 of the position: in
    // a few hundred pixels that is half a 256th, enough to tip the bilinear
    // rounding, so an all-zero map would blur a picture and every brush square
    // would leave a seam. With equal rectangles both factors are exactly one.
    fxDstToSrcX_ = toFixed(dstScaleX_ * srcScaleX_);
    fxDstToSrcY_ = toFixed(dstScaleY_ * srcScaleY_);
    fxVecToSrcX_ = toFixed(combScaleX_ * srcScaleX_);
    fxVecToSrcY_ = toFixed(combScaleY_ * srcScaleY_);
    valid_ = true;
}

void RemapTransform::reverseTransform(Fixed x, Fixed y, Fixed& sourceX, Fixed& sourceY) const {
    const FixedVector v = map_.fixedVector(fixedSub(x, offsetX_), fixedSub(y, offsetY_));
    sourceX = fixedAdd(fixedAdd(fixedMul(fixedSub(x, fxDstTransX_), fxDstToSrcX_), fixedMul(v.x, fxVecToSrcX_)),
                       fxSrcTransX_);
    sourceY = fixedAdd(fixedAdd(fixedMul(fixedSub(y, fxDstTransY_), fxDstToSrcY_), fixedMul(v.y, fxVecToSrcY_)),
                       fxSrcTransY_);
}

Rect RemapTransform::transformedBounds() const {
    return {-2147483647, -2147483647, 2147483647, 2147483647};
}

}  // namespace mugwarp
