#include "raster/pixel_surface.h"

namespace mugwarp {

namespace {

constexpr std::uint32_t div255(std::uint32_t v) { return (v + 127) / 255; }

// The source laid over the destination by weight a on every colour channel;
// the destination's coverage grows by the same weight.
Argb combineBlend(Argb source, Argb destination, std::uint32_t a) {
    if (a == 0) return destination;
    if (a == 255) return source | 0xFF000000u;
    const std::uint32_t inv = 255 - a;
    Argb result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (source >> shift) & 0xFF;
        const std::uint32_t d = (destination >> shift) & 0xFF;
        result |= div255(s * a + d * inv) << shift;
    }
    const std::uint32_t da = destination >> 24;
    return result | ((a + div255(da * inv)) << 24);
}

// Source-over compositing of non-premultiplied colours that honours the
// destination's alpha. Over a fully transparent destination the source comes
// through untouched, which the warp engine's re-render depends on.
Argb combineMerge(Argb source, Argb destination, std::uint32_t a) {
    const std::uint32_t da = destination >> 24;
    if (da == 0) return (source & 0x00FFFFFFu) | (a << 24);
    if (a == 0) return destination;
    if (a == 255) return source | 0xFF000000u;
    const std::uint32_t fw = a * 255;           // source weight, scaled by 255
    const std::uint32_t bw = da * (255 - a);    // destination weight, scaled by 255
    const std::uint32_t total = fw + bw;        // resulting alpha, scaled by 255
    Argb result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t s = (source >> shift) & 0xFF;
        const std::uint32_t d = (destination >> shift) & 0xFF;
        result |= ((s * fw + d * bw + total / 2) / total) << shift;
    }
    return result | (div255(total) << 24);
}

}  // namespace

Argb blendPixel(Argb source, Argb destination, CombineMode mode, std::uint8_t masterAlpha) {
    const std::uint32_t a = div255((source >> 24) * masterAlpha);
    return mode == CombineMode::Merge ? combineMerge(source, destination, a)
                                      : combineBlend(source, destination, a);
}

}  // namespace mugwarp
