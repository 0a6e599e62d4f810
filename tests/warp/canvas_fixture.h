#pragma once
#include <cstdint>
#include <vector>

#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "support/picture_checks.h"
#include "warp/kernel_choice.h"
#include "warp/warp_canvas.h"

namespace mugwarp::testing {

// A picture with a distinct opaque colour in every pixel, shown undeformed, as
// the document sets it up: bilinear source that merges, transparent outside.
struct CanvasFixture {
    PixelSurface source;
    PixelSurface display;
    RemapTransform remap;

    CanvasFixture(int width, int height) : source(width, height) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                source.setPixel(x, y, makeArgb(255, std::uint8_t(x * 7 + y), std::uint8_t(y * 5 + x * 3), std::uint8_t(x ^ y)));
            }
        }
        source.setOuterColor(0x00FDFEFF);
        source.setDrawMode(DrawMode::Blend);
        source.setCombineMode(CombineMode::Merge);
        source.setSamplerKind(SamplerKind::Bilinear);
        display = source;
        display.setSamplerKind(SamplerKind::Nearest);
        remap.displacementMap().setSize(width, height);
        remap.displacementMap().clear();
        remap.setSrcRect({0, 0, float(width), float(height)});
        remap.setMappingRect({0, 0, float(width), float(height)});
    }

    WarpCanvas canvas() { return {source, display, remap}; }
    DisplacementMap& map() { return remap.displacementMap(); }

    bool mapIsZero() const {
        const DisplacementMap& m = remap.displacementMap();
        for (int y = 0; y < m.height(); ++y)
            for (int x = 0; x < m.width(); ++x)
                if (!(m.vector(x, y) == FixedVector{})) return false;
        return true;
    }
};

using test::samePixels;

// Runs a test on the chosen row kernels and restores the default when it ends.
struct KernelChoice {
    explicit KernelChoice(warp_detail::RowKernels kernels) { warp_detail::setRowKernels(kernels); }
    ~KernelChoice() { warp_detail::setRowKernels(warp_detail::widestRowKernels()); }
};

// Every set of row kernels this processor runs, the portable ones first.
inline std::vector<warp_detail::RowKernels> runnableKernels() {
    std::vector<warp_detail::RowKernels> kernels{warp_detail::RowKernels::Portable};
    if (warp_detail::avx2Available()) kernels.push_back(warp_detail::RowKernels::Avx2);
    if (warp_detail::avx512Available()) kernels.push_back(warp_detail::RowKernels::Avx512);
    return kernels;
}

inline const char* kernelName(warp_detail::RowKernels kernels) {
    switch (kernels) {
        case warp_detail::RowKernels::Avx512: return "AVX-512";
        case warp_detail::RowKernels::Avx2: return "AVX2";
        case warp_detail::RowKernels::Portable: break;
    }
    return "portable";
}

}  // namespace mugwarp::testing
