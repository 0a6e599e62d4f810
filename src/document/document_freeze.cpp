// The document's side of the freeze mask: the brushes' canvas, the mask's
// commands, and its changes as steps of the history.
#include <utility>

#include "document/document.h"
#include "document/freeze_mask.h"
#include "raster/error.h"

namespace mugwarp {

WarpCanvas Document::warpCanvas() {
    deformationCleared_ = false;  // the brush writes into the map
    if (isFreezeTool(currentTool_)) {
        // The first Freeze stroke makes the mask; Thaw has nothing to take
        // from while there is none.
        if (currentTool_ == ToolCode::Freeze && freeze_.width() == 0) freeze_ = ByteMap(pictureWidth_, pictureHeight_);
        freezeTouched_ = true;
    }
    return {source_, display_, remap_, &freeze_};
}

void Document::setFreezeMask(ByteMap mask) {
    const bool none = mask.width() == 0 || mask.height() == 0;
    if (!none && (mask.width() != pictureWidth_ || mask.height() != pictureHeight_)) {
        throw Error("The freeze mask does not fit the picture.");
    }
    ByteMap kept = keepingHistory_ && !none ? mask : ByteMap();
    freeze_ = none ? ByteMap() : std::move(mask);
    freezeKept_ = std::move(kept);
    carriedFreeze_.reset();
    freezeTouched_ = false;
}

void Document::freezeNone() {
    if (!pictureLoaded_) return;
    commitChange();
    freeze_ = ByteMap();
    freezeTouched_ = true;
    commitChange();
}

void Document::invertFreeze() {
    if (!pictureLoaded_) return;
    commitChange();
    freeze_ = invertedMask(freeze_, pictureWidth_, pictureHeight_);
    freezeTouched_ = true;
    commitChange();
}

void Document::dropFreezeMask() {
    freeze_ = ByteMap();
    freezeKept_ = ByteMap();
    carriedFreeze_.reset();
    freezeTouched_ = false;
}

// A mask that no longer fits the picture (another size without a carried
// mask) cannot say what to keep: nothing stays frozen.
void Document::fitFreezeMask() {
    if (freeze_.width() == 0 || (freeze_.width() == pictureWidth_ && freeze_.height() == pictureHeight_)) return;
    freeze_ = ByteMap();
    freezeTouched_ = true;
}

Document::FreezeChange Document::takeFreezeChange() {
    if (!freezeTouched_) return {};
    freezeTouched_ = false;
    // A mask with nothing frozen is no mask: brushes then skip it.
    if (freeze_.width() != 0 && !anyFrozen(freeze_)) freeze_ = ByteMap();
    if (!keepingHistory_) return {true, nullptr};
    const bool sameSize = freeze_.width() == freezeKept_.width() && freeze_.height() == freezeKept_.height();
    const Rect rect = sameSize ? changedCells(freezeKept_, freeze_) : Rect{};
    if (sameSize && rect.isEmpty()) return {};
    MaskPatch before = MaskPatch::cut(freezeKept_, sameSize ? rect : freezeKept_.bounds());
    MaskPatch after = MaskPatch::cut(freeze_, sameSize ? rect : freeze_.bounds());
    if (sameSize) {
        after.putInto(freezeKept_);
    } else {
        freezeKept_ = freeze_;
    }
    return {true, std::make_unique<FreezeMaskStep>(freeze_, freezeKept_, std::move(before), std::move(after))};
}

}  // namespace mugwarp
