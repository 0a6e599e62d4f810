#pragma once
#include <cstddef>
#include <memory>
#include <optional>

#include "document/kept_rows.h"
#include "raster/color.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// What a picture carries besides its pixels and must come back with it.
struct PictureTraits {
    PlatformColor keyColor = 0;  // saved GIFs' transparent colour
    Argb outerColor = 0;         // written where nothing else is
    friend bool operator==(const PictureTraits&, const PictureTraits&) = default;
};

// One change of the picture, kept as small as it can be: a change that kept
// the size is the rectangle that changed with the byte differences between
// before and after; a change of size keeps both pictures whole.
class PictureStep {
public:
    // The step from before to after, looking for differences only within
    // changed (ignored when the sizes differ). nullopt when nothing changed.
    // resized: undoing or redoing the step resets the zoom, as a canvas
    // operation does, even when the size came out the same (a half turn).
    // A change of size keeps before whole, shared rather than copied: it may
    // not change afterwards.
    static std::optional<PictureStep> record(std::shared_ptr<const PixelSurface> before, const PixelSurface& after,
                                             const Rect& changed, PictureTraits beforeTraits,
                                             PictureTraits afterTraits, bool resized);
    // A change of size keeps the picture after it only once it is undone,
    // for Redo: that is the picture shown then. Shared, not copied.
    void keepPictureAfter(std::shared_ptr<const PixelSurface> after);

    // picture holds the picture after the step; it becomes the one before.
    void undo(PixelSurface& picture) const;
    // picture holds the picture before the step; it becomes the one after.
    void redo(PixelSurface& picture) const;

    bool resized() const { return resized_; }
    // Undo and Redo write the picture whole, whatever it held.
    bool replacesWholePicture() const { return wholePictures_; }
    const PictureTraits& traitsBefore() const { return traitsBefore_; }
    const PictureTraits& traitsAfter() const { return traitsAfter_; }
    std::size_t bytes() const;
    // Blocks until what the step keeps is packed (benchmarks and tests).
    void waitUntilPacked() const;

private:
    PictureStep() = default;

    bool wholePictures_ = false;  // the size changed: before_ and after_ hold the pictures
    bool afterKept_ = false;
    bool resized_ = false;
    int widthBefore_ = 0, heightBefore_ = 0, widthAfter_ = 0, heightAfter_ = 0;
    KeptRows difference_;  // same size: after - before
    KeptRows before_, after_;
    PictureTraits traitsBefore_, traitsAfter_;
};

}  // namespace mugwarp
