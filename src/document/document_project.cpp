#include <utility>

#include "document/document.h"
#include "document/surface_settings.h"
#include "raster/error.h"

namespace mugwarp {

void Document::loadProject(PixelSurface source, PixelSurface display, DisplacementMap deformation, ByteMap freezeMask,
                           PlatformColor key, Argb outer, const std::string& pictureFileName) {
    const int w = source.width(), h = source.height();
    if (w < 1 || h < 1) throw Error("The project holds no picture");
    auto fits = [&](int mw, int mh) { return (mw == 0 && mh == 0) || (mw == w && mh == h); };
    if (!fits(display.width(), display.height()) || !fits(deformation.width(), deformation.height()) ||
        !fits(freezeMask.width(), freezeMask.height()))
        throw Error("The project's pictures and maps differ in size");
    // Every block is had before the first field changes.
    if (display.isEmpty()) display = source;
    const bool identity = deformation.width() == 0;
    if (identity) deformation.setSize(w, h);
    PixelSurface undo = keepingHistory_ ? display : PixelSurface();
    applySourceSettings(source, outer);
    display_.setSize(w, h);

    source_ = std::move(source);
    copyPixels(display_, display);
    display_.setOuterColor(outer);
    remap_.displacementMap() = std::move(deformation);
    deformationCleared_ = identity;
    const FloatRect bounds{0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h)};
    remap_.setSrcRect(bounds);
    remap_.setMappingRect(bounds);
    flatStale_ = true;  // made from the display when first asked for
    pictureFileName_ = pictureFileName;
    keyColor_ = key;
    pictureWidth_ = w;
    pictureHeight_ = h;
    setFreezeMask(std::move(freezeMask));
    sizeChanged_ = false;
    pictureLoaded_ = true;
    undo_ = std::make_shared<PixelSurface>(std::move(undo));
    pendingRect_ = {};
    history_.clear();
    savedState_ = history_.stateId();
    historyChanged();
}

}  // namespace mugwarp
