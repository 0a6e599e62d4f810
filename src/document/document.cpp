#include "document/document.h"

#include <algorithm>
#include <utility>

#include "document/flat_picture.h"
#include "document/surface_settings.h"
#include "formats/picture_io.h"

namespace mugwarp {

namespace {

struct DecodedPicture {
    PixelSurface pixels;
    PlatformColor key = kDefaultKeyColor;
    Argb outer = kDefaultOuterColor;
};

// Reads a picture file the way the document shows it, without touching the
// document, so that a file that fails to decode changes nothing.
DecodedPicture decodePicture(const std::string& path) {
    DecodedPicture out;
    if (lowerExtension(path) != ".gif") {
        out.pixels.assign(loadPicture(path));
        out.key = kDefaultKeyColor;
        return out;
    }
    GifPicture gif = loadGifPicture(path);
    if (gif.transparentColor) {
        out.key = *gif.transparentColor;
        out.outer = outerColorForKey(out.key);
        clearKeyColor(gif.composite, out.key);
        out.pixels.assign(gif.composite);
    } else {
        // No transparent colour: the whole frame is opaque. (Keying with the
        // "no colour" value would read as white and punch out white pixels.)
        out.key = kNoKeyColor;
        out.outer = outerColorForKey(out.key);
        out.pixels.assign(gif.composite);
        out.pixels.resetAlpha(255);
    }
    return out;
}

}  // namespace

Document::Document() {
    applySourceSettings(source_, kDefaultOuterColor);
    applyDisplaySettings(display_, kDefaultOuterColor);
    resetDeformation();
}

void Document::setDisplayChangeHandler(ChangeHandler handler) { display_.setChangeHandler(std::move(handler)); }

void Document::loadPicture(const std::string& path) {
    // Everything that can fail (decoding, then every allocation) happens
    // before the first field changes, so a failure leaves the document as it
    // was.
    DecodedPicture decoded = decodePicture(path);
    PixelSurface& picture = decoded.pixels;
    applySourceSettings(picture, decoded.outer);
    PixelSurface undo = picture;
    PlatformBitmap flat = picture.toPlatformBitmap();
    DisplacementMap identity(picture.width(), picture.height());
    std::string fileName = path;
    display_.setSize(picture.width(), picture.height());

    source_ = std::move(picture);  // the source carries no change handler
    undo_ = std::move(undo);
    flat_ = std::move(flat);
    remap_.displacementMap() = std::move(identity);
    pictureFileName_ = std::move(fileName);
    keyColor_ = decoded.key;
    pictureWidth_ = source_.width();
    pictureHeight_ = source_.height();
    display_.setOuterColor(decoded.outer);
    copyPixels(display_, source_);
    resetDeformation();
    sizeChanged_ = false;
    pictureLoaded_ = true;
}

void Document::loadPicture() { loadPicture(std::string(pictureFileName_)); }

void Document::rebasePicture(const PixelSurface& picture, bool clearBorder) {
    if (&picture != &source_) copyPixels(source_, picture);
    copyPixels(display_, source_);
    // The display keeps the picture's own border; only the source, which the
    // remap samples, fades out at its edge.
    if (clearBorder) source_.setBorderTransparent(source_.bounds());
    pictureWidth_ = source_.width();
    pictureHeight_ = source_.height();
    resetDeformation();
}

void Document::rebasePicture(const PlatformBitmap& picture, bool clearBorder) {
    PixelSurface pixels;
    pixels.assign(picture);
    rebasePicture(pixels, clearBorder);
}

void Document::rebaseFromDisplay(bool clearBorder) { rebasePicture(display_, clearBorder); }

void Document::resetDeformation() {
    DisplacementMap& map = remap_.displacementMap();
    if (map.width() == source_.width() && map.height() == source_.height()) {
        map.clear();
    } else {
        map.setSize(source_.width(), source_.height());  // a new size starts all zero
    }
    remap_.setSrcRect({0.0f, 0.0f, static_cast<float>(source_.width()), static_cast<float>(source_.height())});
    remap_.setMappingRect({0.0f, 0.0f, static_cast<float>(display_.width()), static_cast<float>(display_.height())});
}

void Document::rebuildFromSource() {
    copyPixels(display_, source_);
    resetDeformation();
}

void Document::selectArrowTool() {
    if (isFlatTool(currentTool_)) rebuildFromSource();
    currentTool_ = ToolCode::Arrow;
}

bool Document::selectFlatTool(ToolCode tool) {
    if (!pictureLoaded_ || !isFlatTool(tool)) return false;
    sizeChanged_ = false;
    snapshotForUndo();
    const bool entering = !isFlatTool(currentTool_);
    if (entering) {
        copyPixels(source_, display_);
        refreshFlatPicture();
    }
    currentTool_ = tool;
    return entering;
}

void Document::refreshFlatPicture() {
    flat_ = display_.toPlatformBitmap();
    clearFlatPicture(flat_, source_.outerColor());
}

void Document::snapshotForUndo() { undo_ = display_; }

Document::UndoResult Document::undo() {
    UndoResult result;
    if (!pictureLoaded_ || undo_.isEmpty()) return result;
    copyPixels(source_, undo_);
    copyPixels(display_, source_);
    refreshFlatPicture();
    resetDeformation();
    pictureWidth_ = source_.width();
    pictureHeight_ = source_.height();
    result.applied = true;
    result.sizeRestored = sizeChanged_;
    sizeChanged_ = false;
    return result;
}

Rect Document::erase(int column, int row, int n) {
    if (!pictureLoaded_) return {};
    if (currentTool_ != ToolCode::Erase && currentTool_ != ToolCode::Paint) return {};
    const Rect square = squareInPicture(column, row, n, source_.bounds().intersected(display_.bounds()));
    if (square.isEmpty()) return {};
    const Argb color = currentTool_ == ToolCode::Paint ? argbFromPlatform(paintColor_, 254) : source_.outerColor();
    for (int y = square.top; y < square.bottom; ++y) {
        std::fill(source_.row(y) + square.left, source_.row(y) + square.right, color);
        std::fill(display_.row(y) + square.left, display_.row(y) + square.right, color);
    }
    return square;
}

void Document::restore() {
    if (!pictureLoaded_) return;
    sizeChanged_ = false;
    snapshotForUndo();
    rebuildFromSource();
}

void Document::beginUndoableChange() {
    sizeChanged_ = false;
    snapshotForUndo();
}

void Document::enterWarpTool(int toolCode) {
    if (isFlatTool(currentTool_)) rebuildFromSource();
    currentTool_ = static_cast<ToolCode>(toolCode);
}

}  // namespace mugwarp
