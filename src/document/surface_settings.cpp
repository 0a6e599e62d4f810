#include "document/surface_settings.h"

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

}  // namespace mugwarp
