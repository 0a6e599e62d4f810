#include "document/flat_tools.h"

#include <algorithm>
#include <cstring>

#include "document/document.h"
#include "document/flat_picture.h"
#include "document/freeze_mask.h"

namespace mugwarp {

namespace {

bool isSquareTool(ToolCode t) { return t == ToolCode::Erase || t == ToolCode::Paint; }

Rect paintSquare(Document& document, PixelPoint p, int n) {
    const FlatBrush brush = document.currentTool() == ToolCode::Paint ? FlatBrush::Paint : FlatBrush::Erase;
    const Rect painted = paintFlatSquare(document.flatPicture(), p.x, p.y, n, brush, document.paintColor());
    document.erase(p.x, p.y, n);
    return painted;
}

}  // namespace

FlatTools::Result FlatTools::press(PixelPoint p, int n) {
    Result result;
    const ToolCode tool = document_.currentTool();
    if (!document_.pictureLoaded() || !isFlatTool(tool)) return result;
    stroking_ = true;
    if (tool == ToolCode::PickColour) {
        const PlatformBitmap& flat = document_.flatPicture();
        if (!flat.bounds().contains(p.x, p.y)) return result;
        document_.setPaintColor(platformFromArgb(flatRow(flat, p.y)[p.x]));
        document_.selectFlatTool(ToolCode::Paint);
        result.colourPicked = true;
    } else if (isSquareTool(tool)) {
        document_.setSizeChanged(false);
        document_.snapshotForUndo();
        result.flatChanged = paintSquare(document_, p, n);
    } else {
        cropStart_ = p;
        cropEnd_ = p;
        cropDragged_ = false;
        previewShown_ = false;
        scratch_ = document_.flatPicture();
        darkened_ = darkenedCopy(scratch_);
    }
    return result;
}

FlatTools::Result FlatTools::move(PixelPoint p, int n) {
    Result result;
    const ToolCode tool = document_.currentTool();
    if (!document_.pictureLoaded() || !stroking_) return result;
    if (isSquareTool(tool)) {
        result.flatChanged = paintSquare(document_, p, n);
    } else if (tool == ToolCode::Crop && !scratch_.isEmpty()) {
        cropEnd_ = p;
        cropDragged_ = true;
        cropRect_ = {std::min(cropStart_.x, cropEnd_.x), std::min(cropStart_.y, cropEnd_.y),
                     std::max(cropStart_.x, cropEnd_.x), std::max(cropStart_.y, cropEnd_.y)};
        result.flatChanged = showCropPreview(cropRect_);
    }
    return result;
}

// Outside the rectangle, its own edge included, the picture shows darkened.
// Only pixels inside the old or the new rectangle can change between two
// frames, so a frame rewrites just that band, copying rows from the two
// prepared pictures.
Rect FlatTools::showCropPreview(const Rect& crop) {
    PlatformBitmap& flat = document_.flatPicture();
    const Rect inside = Rect{crop.left + 1, crop.top + 1, crop.right, crop.bottom}.intersected(flat.bounds());
    const Rect dirty = previewShown_ ? inside.united(previewInside_).intersected(flat.bounds()) : flat.bounds();
    previewShown_ = true;
    previewInside_ = inside;
    const auto copy = [](Argb* to, const Argb* from, int left, int right) {
        if (right > left) std::memcpy(to + left, from + left, static_cast<std::size_t>(right - left) * sizeof(Argb));
    };
    for (int y = dirty.top; y < dirty.bottom; ++y) {
        Argb* to = flatRow(flat, y);
        const Argb* dark = flatRow(darkened_, y);
        if (inside.isEmpty() || y < inside.top || y >= inside.bottom) {
            copy(to, dark, dirty.left, dirty.right);
            continue;
        }
        copy(to, dark, dirty.left, std::min(inside.left, dirty.right));
        copy(to, flatRow(scratch_, y), std::max(inside.left, dirty.left), std::min(inside.right, dirty.right));
        copy(to, dark, std::max(inside.right, dirty.left), dirty.right);
    }
    return dirty;
}

Rect FlatTools::dropCropPreview() {
    Rect restored;
    if (previewShown_) {
        document_.flatPicture() = scratch_;
        restored = scratch_.bounds();
    }
    previewShown_ = false;
    scratch_ = PlatformBitmap();
    darkened_ = PlatformBitmap();
    return restored;
}

FlatTools::Result FlatTools::release() {
    Result result;
    const bool cropping = stroking_ && document_.currentTool() == ToolCode::Crop && !scratch_.isEmpty();
    const bool painting = stroking_ && isSquareTool(document_.currentTool());
    stroking_ = false;
    if (painting) document_.commitChange();
    if (!cropping) return result;
    const Rect crop = cropDragged_ ? cropRect_.intersected(document_.source().bounds()) : Rect{};
    result.flatChanged = dropCropPreview();
    if (crop.isEmpty()) return result;

    PixelSurface cut(crop.width(), crop.height());
    for (int y = crop.top; y < crop.bottom; ++y) {
        const Argb* from = document_.source().row(y) + crop.left;
        std::copy(from, from + crop.width(), cut.row(y - crop.top));
    }
    document_.setSizeChanged(true);
    document_.snapshotForUndo();
    document_.carryFreezeMask(croppedMask(document_.freezeMask(), crop));
    document_.rebasePicture(cut, false);
    document_.selectArrowTool();
    result.cropped = true;
    return result;
}

}  // namespace mugwarp
