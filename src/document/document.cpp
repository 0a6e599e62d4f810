#include "document/document.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "document/flat_picture.h"
#include "document/surface_settings.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"

namespace mugwarp {

namespace {

struct DecodedPicture {
    PixelSurface pixels;
    PlatformColor key = kDefaultKeyColor;
    Argb outer = kDefaultOuterColor;
    PhotoInfo info;
    std::vector<std::string> notes;
};

// Reads a picture file the way the document shows it, without touching the
// document, so that a file that fails to decode changes nothing.
DecodedPicture decodePicture(const std::string& path) {
    DecodedPicture out;
    PictureFile file = readPictureFile(path);
    out.notes = std::move(file.notes);
    if (file.kind != PictureKind::Gif) {
        out.info = std::move(file.info);
        out.pixels.assign(flattenOnto(std::move(file), kDefaultOuterColor));
        out.key = kDefaultKeyColor;
        return out;
    }
    if (file.gifKey) {
        out.key = *file.gifKey;
        out.outer = outerColorForKey(out.key);
        clearKeyColor(file.bitmap, out.key);
        out.pixels.assign(file.bitmap);
    } else {
        // No transparent colour: the whole frame is opaque. (Keying with the
        // "no colour" value would read as white and punch out white pixels.)
        out.key = kNoKeyColor;
        out.outer = outerColorForKey(out.key);
        out.pixels.assign(file.bitmap);
        out.pixels.resetAlpha(255);
    }
    return out;
}

}  // namespace

Document::Document() {
    applySourceSettings(source_, kDefaultOuterColor);
    applyDisplaySettings(display_, kDefaultOuterColor);
    display_.setChangeHandler([this](const Rect& r) {
        markChanged(r);
        if (onDisplayChange_) onDisplayChange_(r);
    });
    resetDeformation();
}

void Document::setDisplayChangeHandler(ChangeHandler handler) { onDisplayChange_ = std::move(handler); }

void Document::setOuterColors(Argb color) {
    source_.setOuterColor(color);
    display_.setOuterColor(color);
}

void Document::loadPicture(const std::string& path) {
    // Everything that can fail (decoding, then every allocation) happens
    // before the first field changes, so a failure leaves the document as it
    // was.
    DecodedPicture decoded = decodePicture(path);
    PixelSurface undo = keepingHistory_ ? decoded.pixels : PixelSurface();
    installPicture(decoded.pixels, decoded.key, decoded.outer, path);
    photoInfo_ = std::move(decoded.info);
    loadNotes_ = std::move(decoded.notes);
    undo_ = std::make_shared<PixelSurface>(std::move(undo));
    pendingRect_ = {};
    dropFreezeMask();
    history_.clear();
    savedState_ = history_.stateId();
    historyChanged();
}

void Document::loadRecovered(PixelSurface picture, PlatformColor key, Argb outer, const std::string& pictureFileName) {
    PixelSurface undo = keepingHistory_ ? picture : PixelSurface();
    installPicture(picture, key, outer, pictureFileName);
    undo_ = std::make_shared<PixelSurface>(std::move(undo));
    pendingRect_ = {};
    dropFreezeMask();
    history_.clear();
    savedState_ = ~std::uint64_t{0};
    historyChanged();
}

void Document::reloadPicture(const std::string& path) {
    if (!pictureLoaded_) {
        loadPicture(path);  // nothing to come back to
        return;
    }
    DecodedPicture decoded = decodePicture(path);
    commitChange();
    const PictureTraits before = traits();
    installPicture(decoded.pixels, decoded.key, decoded.outer, path);
    commitChange(before);
}

void Document::installPicture(PixelSurface& picture, PlatformColor key, Argb outer, const std::string& path) {
    applySourceSettings(picture, outer);
    PlatformBitmap flat = picture.toPlatformBitmap();
    DisplacementMap identity(picture.width(), picture.height());
    std::string fileName = path;
    display_.setSize(picture.width(), picture.height());

    source_ = std::move(picture);  // the source carries no change handler
    flat_ = std::move(flat);
    flatStale_ = false;
    remap_.displacementMap() = std::move(identity);
    deformationCleared_ = true;
    pictureFileName_ = std::move(fileName);
    keyColor_ = key;
    pictureWidth_ = source_.width();
    pictureHeight_ = source_.height();
    display_.setOuterColor(outer);
    copyPixels(display_, source_);
    resetDeformation();
    sizeChanged_ = false;
    pictureLoaded_ = true;
    fitFreezeMask();
}

void Document::loadPicture() { loadPicture(std::string(pictureFileName_)); }

void Document::rebasePicture(const PixelSurface& picture, bool clearBorder) {
    // Every block the new picture needs is had before the first field
    // changes, so running out of memory leaves the picture as it was.
    if (picture.width() != source_.width() || picture.height() != source_.height()) {
        PixelSurface source = picture;
        PixelSurface display = picture;
        DisplacementMap identity(picture.width(), picture.height());
        applySourceSettings(source, source_.outerColor());
        source_ = std::move(source);
        applyDisplaySettings(display, display_.outerColor());
        display_ = std::move(display);
        remap_.displacementMap() = std::move(identity);
        deformationCleared_ = true;
    }
    if (&picture != &source_) copyPixels(source_, picture);
    if (&picture != &display_) copyPixels(display_, source_);
    // The display keeps the picture's own border; only the source, which the
    // remap samples, fades out at its edge. The flat tools work on source and
    // display alike, so while one is active both lose the border now, and
    // leaving the tool later changes nothing (no step of its own).
    if (clearBorder) source_.setBorderTransparent(source_.bounds());
    if (clearBorder && isFlatTool(currentTool_)) display_.setBorderTransparent(display_.bounds());
    pictureWidth_ = source_.width();
    pictureHeight_ = source_.height();
    resetDeformation();
    if (carriedFreeze_) {
        freeze_ = std::move(*carriedFreeze_);
        carriedFreeze_.reset();
        freezeTouched_ = true;
    }
    fitFreezeMask();
    commitChange();
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
        if (!deformationCleared_) map.clear();
    } else {
        map.setSize(source_.width(), source_.height());  // a new size starts all zero
    }
    deformationCleared_ = true;
    remap_.setSrcRect({0.0f, 0.0f, static_cast<float>(source_.width()), static_cast<float>(source_.height())});
    remap_.setMappingRect({0.0f, 0.0f, static_cast<float>(display_.width()), static_cast<float>(display_.height())});
}

// Leaving the flat tools finds the display equal to the edited source, so
// this is no step of its own then; after Restore it is.
void Document::rebuildFromSource() {
    copyPixels(display_, source_);
    resetDeformation();
    commitChange();
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

void Document::refreshFlatPicture() const {
    display_.copyInto(flat_);
    clearFlatPicture(flat_, source_.outerColor());
    flatStale_ = false;
}

void Document::snapshotForUndo() { commitChange(); }

void Document::markChanged(const Rect& r) {
    const bool wasPending = changePending();
    pendingRect_ = pendingRect_.united(r);
    if (!wasPending && changePending()) historyChanged();
}

void Document::historyChanged() const {
    if (onHistoryChange_) onHistoryChange_();
}

PictureTraits Document::traits() const { return {keyColor_, source_.outerColor()}; }

void Document::commitChange() { commitChange(traits()); }

// undo_ holds the picture as it stood when the change began; afterwards it
// holds the picture as shown, ready for the next change. A step may keep the
// block undo_ held (after a change of size), never the one it holds now.
void Document::commitChange(const PictureTraits& before) {
    if (!pictureLoaded_) return;
    FreezeChange freeze = takeFreezeChange();
    if (!changePending()) {
        if (!freeze.changed) return;
        if (freeze.step) {
            history_.record(std::nullopt, std::move(freeze.step));
        } else {
            history_.clear();
        }
        historyChanged();
        return;
    }
    if (!keepingHistory_) {
        history_.clear();  // a state of its own, though no step to come back to
        pendingRect_ = {};
        historyChanged();
        return;
    }
    const Rect changed = pendingRect_;
    // After a change of size the step keeps the old picture whole, so the
    // picture shown is taken into a block of its own.
    const bool sameSize = undo_->width() == display_.width() && undo_->height() == display_.height();
    std::shared_ptr<PixelSurface> shown;
    if (!sameSize) {
        try {
            shown = std::make_shared<PixelSurface>(display_);
        } catch (const std::exception&) {
            // The history's pictures are what can be given up to find the memory.
            // Should even that not do, the change stays under way: the picture
            // itself is whole either way.
            history_.clear();
            historyChanged();
            shown = std::make_shared<PixelSurface>(display_);
        }
    }
    try {
        std::optional<PictureStep> step = PictureStep::record(undo_, display_, changed, before, traits(), sizeChanged_);
        if (step || freeze.step) history_.record(std::move(step), std::move(freeze.step));
    } catch (const std::exception&) {
        // Without memory for the step the picture itself is still whole:
        // only the history before it is given up.
        history_.clear();
    }
    if (shown) {
        undo_ = std::move(shown);
    } else {
        copyRows(*undo_, display_, changed);
    }
    pendingRect_ = {};
    historyChanged();
}

void Document::recordObjectStep(std::unique_ptr<ObjectStep> step) {
    commitChange();
    if (keepingHistory_) {
        history_.record(std::move(step));
    } else {
        history_.clear();
    }
    historyChanged();
}

void Document::stopKeepingHistory() {
    commitChange();
    keepingHistory_ = false;
    freezeKept_ = ByteMap();
    history_.clear();
    undo_ = std::make_shared<PixelSurface>();
    historyChanged();
}

void Document::markSaved() {
    commitChange();
    savedState_ = history_.stateId();
    historyChanged();
}

void Document::markNeverSaved() {
    savedState_ = ~std::uint64_t{0};
    historyChanged();
}

HistoryUsage Document::historyUsage() const {
    HistoryUsage usage = history_.usage();
    if (changePending()) {
        ++usage.undoSteps;
        usage.redoSteps = 0;
    }
    return usage;
}

Document::UndoResult Document::undo() { return showStep(true); }

Document::UndoResult Document::redo() { return showStep(false); }

Document::UndoResult Document::showStep(bool undoing) {
    UndoResult result;
    if (!pictureLoaded_) return result;
    commitChange();
    if (undoing ? !history_.canUndo() : !history_.canRedo()) return result;
    HistoryStep& entry = undoing ? history_.stepToUndo() : history_.stepToRedo();
    if (!entry.picture) {
        // A step that cannot be applied changed nothing and stays.
        ObjectStep& object = entry.object ? *entry.object : *entry.freeze;
        if (undoing) {
            object.undo();
            history_.moveBack();
        } else {
            object.redo();
            history_.moveForward();
        }
        result.applied = true;
        result.objectsChanged = entry.object != nullptr;
        historyChanged();
        return result;
    }
    PictureStep& step = *entry.picture;
    try {
        // A whole picture is written into a block of its own; the one shown
        // is what Redo of a size change brings back.
        if (step.replacesWholePicture() && undoing) step.keepPictureAfter(undo_);
        if (step.replacesWholePicture()) undo_ = std::make_shared<PixelSurface>();
        PixelSurface& picture = *undo_;
        if (undoing) {
            step.undo(picture);
        } else {
            step.redo(picture);
        }
    } catch (...) {
        // A step that cannot be applied leaves the picture as shown.
        undo_ = std::make_shared<PixelSurface>(display_);
        history_.clear();
        historyChanged();
        throw;
    }
    if (entry.freeze) {
        if (undoing) {
            entry.freeze->undo();
        } else {
            entry.freeze->redo();
        }
    }
    const PictureTraits& shown = undoing ? step.traitsBefore() : step.traitsAfter();
    result.sizeRestored = step.resized();
    if (undoing) {
        history_.moveBack();
    } else {
        history_.moveForward();
    }
    copyPixels(source_, *undo_);
    copyPixels(display_, source_);
    keyColor_ = shown.keyColor;
    setOuterColors(shown.outerColor);
    if (isFlatTool(currentTool_)) {
        refreshFlatPicture();
    } else {
        flatStale_ = true;  // not shown: made when next asked for
    }
    resetDeformation();
    pictureWidth_ = source_.width();
    pictureHeight_ = source_.height();
    pendingRect_ = {};
    result.applied = true;
    sizeChanged_ = false;
    historyChanged();
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
    markChanged(square);
    return square;
}

void Document::restore() {
    if (!pictureLoaded_) return;
    sizeChanged_ = false;
    snapshotForUndo();
    rebuildFromSource();  // one step of its own
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
