#include "document/surface_settings.h"

#include <algorithm>
#include <cstring>

#include "document/parallel_chunks.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

void applySourceSettings(PixelSurface& source, Argb outerColor) {
    source.setOuterColor(outerColor);
    source.setDrawMode(DrawMode::Blend);
    source.setCombineMode(CombineMode::Merge);
    source.setMasterAlpha(255);
    source.setSamplerKind(SamplerKind::Bilinear);
}

void applyDisplaySettings(PixelSurface& display, Argb outerColor) {
    display.setOuterColor(outerColor);
    display.setDrawMode(DrawMode::Blend);
    display.setCombineMode(CombineMode::Blend);
    display.setMasterAlpha(255);
    display.setSamplerKind(SamplerKind::Nearest);
}

void copyPixels(PixelSurface& to, const PixelSurface& from) {
    if (&to == &from) return;
    if (to.width() == from.width() && to.height() == from.height() && !to.isEmpty()) {
        // The everyday case (Undo, Redo, rebasing).
        copyRows(to, from, from.bounds());
        to.changed();
        return;
    }
    const Argb outer = to.outerColor();
    const DrawMode draw = to.drawMode();
    const CombineMode combine = to.combineMode();
    const std::uint8_t master = to.masterAlpha();
    const SamplerKind sampler = to.samplerKind();
    to = from;  // copies settings too, keeps the change handler
    to.setOuterColor(outer);
    to.setDrawMode(draw);
    to.setCombineMode(combine);
    to.setMasterAlpha(master);
    to.setSamplerKind(sampler);
}

void copyRows(PixelSurface& to, const PixelSurface& from, const Rect& rect) {
    const Rect r = rect.intersected(from.bounds()).intersected(to.bounds());
    if (r.isEmpty()) return;
    const std::size_t rowBytes = static_cast<std::size_t>(r.width()) * sizeof(Argb);
    constexpr int kBand = 256;
    forEachChunk(static_cast<std::size_t>((r.height() + kBand - 1) / kBand), rowBytes * static_cast<std::size_t>(r.height()),
                 [&](std::size_t band) {
                     const int first = r.top + static_cast<int>(band) * kBand;
                     const int last = std::min(first + kBand, r.bottom);
                     for (int y = first; y < last; ++y) std::memcpy(to.row(y) + r.left, from.row(y) + r.left, rowBytes);
                 });
}

}  // namespace mugwarp
