#include "document/picture_step.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "raster/error.h"

namespace mugwarp {

namespace {

// The smallest rectangle within area holding every pixel where a and b
// differ; empty when they agree there.
Rect differingRect(const PixelSurface& a, const PixelSurface& b, const Rect& area) {
    const Rect r = area.intersected(a.bounds()).intersected(b.bounds());
    Rect found{r.right, r.bottom, r.left, r.top};
    for (int y = r.top; y < r.bottom; ++y) {
        const Argb* pa = a.row(y);
        const Argb* pb = b.row(y);
        if (std::memcmp(pa + r.left, pb + r.left, static_cast<std::size_t>(r.width()) * sizeof(Argb)) == 0) continue;
        found.top = std::min(found.top, y);
        found.bottom = y + 1;
        int left = r.left;
        while (left < found.left && pa[left] == pb[left]) ++left;
        found.left = std::min(found.left, left);
        int right = r.right;
        while (right > found.right && pa[right - 1] == pb[right - 1]) --right;
        found.right = std::max(found.right, right);
    }
    return found.isEmpty() ? Rect{} : found;
}

// Whether a and b differ anywhere within area; stops at the first row that
// does.
bool anyDifference(const PixelSurface& a, const PixelSurface& b, const Rect& area) {
    const Rect r = area.intersected(a.bounds()).intersected(b.bounds());
    for (int y = r.top; y < r.bottom; ++y)
        if (std::memcmp(a.row(y) + r.left, b.row(y) + r.left, static_cast<std::size_t>(r.width()) * sizeof(Argb)) != 0)
            return true;
    return false;
}

}  // namespace

std::optional<PictureStep> PictureStep::record(std::shared_ptr<const PixelSurface> before, const PixelSurface& after,
                                               const Rect& changed, PictureTraits beforeTraits,
                                               PictureTraits afterTraits, bool resized) {
    PictureStep step;
    step.widthBefore_ = before->width();
    step.heightBefore_ = before->height();
    step.widthAfter_ = after.width();
    step.heightAfter_ = after.height();
    step.traitsBefore_ = beforeTraits;
    step.traitsAfter_ = afterTraits;
    step.resized_ = resized;
    if (step.widthBefore_ != step.widthAfter_ || step.heightBefore_ != step.heightAfter_) {
        step.wholePictures_ = true;
        step.resized_ = true;
        step.before_ = KeptRows(std::move(before), 0, 0, PackedRows::Content::Pixels);
        return step;
    }
    // A change of most of the picture (a filter, a half turn) differs almost
    // everywhere: looking for the exact rectangle would cost a pass for
    // nothing.
    const Rect area = changed.intersected(before->bounds());
    const bool large = !area.isEmpty() && std::int64_t{area.width()} * area.height() * 4 >= std::int64_t{before->width()} * before->height();
    const Rect differing = large ? (anyDifference(*before, after, area) ? area : Rect{}) : differingRect(*before, after, changed);
    if (differing.isEmpty() && beforeTraits == afterTraits) return std::nullopt;
    step.difference_ = KeptRows(byteDifference(*before, after, differing), differing.left, differing.top,
                                PackedRows::Content::Differences);
    return step;
}

void PictureStep::keepPictureAfter(std::shared_ptr<const PixelSurface> after) {
    if (!wholePictures_ || afterKept_) return;
    if (after->width() != widthAfter_ || after->height() != heightAfter_)
        throw Error("The picture does not fit the step for Undo");
    after_ = KeptRows(std::move(after), 0, 0, PackedRows::Content::Pixels);
    afterKept_ = true;
}

void PictureStep::undo(PixelSurface& picture) const {
    if (!wholePictures_) {
        difference_.applyTo(picture, RowApply::Subtract);
        return;
    }
    picture.setSize(widthBefore_, heightBefore_);
    before_.applyTo(picture, RowApply::Copy);
}

void PictureStep::redo(PixelSurface& picture) const {
    if (!wholePictures_) {
        difference_.applyTo(picture, RowApply::Add);
        return;
    }
    if (!afterKept_) throw Error("There is no picture to redo");
    picture.setSize(widthAfter_, heightAfter_);
    after_.applyTo(picture, RowApply::Copy);
}

std::size_t PictureStep::bytes() const { return sizeof(PictureStep) + difference_.bytes() + before_.bytes() + after_.bytes(); }

void PictureStep::waitUntilPacked() const {
    difference_.waitUntilPacked();
    before_.waitUntilPacked();
    after_.waitUntilPacked();
}

}  // namespace mugwarp
