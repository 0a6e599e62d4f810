#include "raster/remap_fast.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "raster/bilinear_kernel.h"
#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "raster/samplers.h"

namespace mugwarp {

// Reads the remap's prepared values for the specialised path.
struct RemapKernel {
    static bool isUnitMapping(const RemapTransform& r) {
        return r.valid_ && r.fxDstToSrcX_ == kFixedOne && r.fxDstToSrcY_ == kFixedOne &&
               r.fxVecToSrcX_ == kFixedOne && r.fxVecToSrcY_ == kFixedOne && r.offsetX_ == 0 && r.offsetY_ == 0;
    }
    // With unit factors the source point is the destination point plus the
    // vector plus this shift (all wrapping like the general arithmetic).
    static Fixed shiftX(const RemapTransform& r) { return fixedSub(r.fxSrcTransX_, r.fxDstTransX_); }
    static Fixed shiftY(const RemapTransform& r) { return fixedSub(r.fxSrcTransY_, r.fxDstTransY_); }
};

namespace raster_detail {

namespace {

constexpr int kChunk = 64;
constexpr int kBand = 32;
// Whole-pixel positions up to here are exact in 16.16; beyond, the general
// arithmetic wraps and the general path renders.
constexpr int kMaxFixedPixel = 32767;

// Weights by 1/256 fraction: gamma[255 - f].
struct Weights {
    std::array<std::uint16_t, 256> byFraction{};
    Weights() {
        const auto& gamma = gammaTable();
        for (int f = 0; f < 256; ++f) byFraction[f] = gamma[255 - f];
    }
};

const Weights& weights() {
    static const Weights w;
    return w;
}

inline void prefetch(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// floor((v + 127) / 256) without the 32-bit overflow of v + 127.
inline std::int32_t to256(std::int32_t v) { return (v >> 8) + (((v & 255) + 127) >> 8); }

struct RowContext {
    const Argb* pixels;
    std::int32_t stride;      // source width
    std::uint32_t lastX256;   // (width - 1) * 256
    std::uint32_t lastY256;   // (height - 1) * 256
    const std::uint16_t* weight;
};

// Samples one chunk whose points are known to lie in the interior.
void sampleInterior(const RowContext& c, const std::int32_t* x256, const std::int32_t* y256, int count, Argb* out) {
    int i = 0;
    for (; i + 1 < count; i += 2) {
        const std::int32_t xa = x256[i], ya = y256[i], xb = x256[i + 1], yb = y256[i + 1];
        const Argb* upperA = c.pixels + static_cast<std::ptrdiff_t>(ya >> 8) * c.stride + (xa >> 8);
        const Argb* upperB = c.pixels + static_cast<std::ptrdiff_t>(yb >> 8) * c.stride + (xb >> 8);
        const std::uint64_t pair =
            bilinearPair(upperA, upperA + c.stride, c.weight[xa & 255], c.weight[ya & 255], upperB,
                         upperB + c.stride, c.weight[xb & 255], c.weight[yb & 255]);
        std::memcpy(out + i, &pair, sizeof pair);
    }
    if (i < count) {
        const Argb* upper = c.pixels + static_cast<std::ptrdiff_t>(y256[i] >> 8) * c.stride + (x256[i] >> 8);
        out[i] = bilinearOne(upper, upper + c.stride, c.weight[x256[i] & 255], c.weight[y256[i] & 255]);
    }
}

// Samples one chunk with some points on or beyond the edge.
void sampleMixed(const RowContext& c, const PixelSurface& source, const std::int32_t* x256, const std::int32_t* y256,
                 int count, Argb* out) {
    for (int i = 0; i < count; ++i) {
        const bool interior = static_cast<std::uint32_t>(x256[i]) < c.lastX256 &&
                              static_cast<std::uint32_t>(y256[i]) < c.lastY256;
        if (interior) {
            sampleInterior(c, x256 + i, y256 + i, 1, out + i);
        } else {
            out[i] = sampleBilinear256(source, x256[i], y256[i]);
        }
    }
}

// Writes samples by the source's draw mode. Merging onto transparent pixels,
// which is how the warp engine renders, is a plain copy.
void writeSamples(const PixelSurface& source, const Argb* samples, Argb* out, int count) {
    if (source.drawMode() == DrawMode::Blend) {
        std::uint32_t destinationAlpha = 0;
        if (source.combineMode() == CombineMode::Merge) {
            for (int i = 0; i < count; ++i) destinationAlpha |= out[i];
            destinationAlpha >>= 24;
        }
        if (source.combineMode() == CombineMode::Blend || destinationAlpha != 0) {
            for (int i = 0; i < count; ++i)
                out[i] = blendPixel(samples[i], out[i], source.combineMode(), source.masterAlpha());
            return;
        }
        // Merge onto alpha 0 keeps the sample with its alpha scaled by the
        // master alpha; at 255 that is the sample itself.
        if (source.masterAlpha() != 255) {
            for (int i = 0; i < count; ++i)
                out[i] = blendPixel(samples[i], out[i], CombineMode::Merge, source.masterAlpha());
            return;
        }
    }
    std::memcpy(out, samples, static_cast<std::size_t>(count) * sizeof(Argb));
}

}  // namespace

bool renderRemapFast(PixelSurface& destination, const PixelSurface& source, const RemapTransform& remap,
                     const Rect& area) {
    if (source.samplerKind() != SamplerKind::Bilinear || !RemapKernel::isUnitMapping(remap)) return false;
    if (area.right > kMaxFixedPixel + 1 || area.bottom > kMaxFixedPixel + 1) return false;
    if (source.width() > (1 << 22) || source.height() > (1 << 22)) return false;

    const DisplacementMap& map = remap.displacementMap();
    const Fixed shiftX = RemapKernel::shiftX(remap);
    const Fixed shiftY = RemapKernel::shiftY(remap);
    // An empty source has no interior: every point takes the edge path.
    const RowContext context{source.bits(), source.width(),
                             source.width() > 0 ? static_cast<std::uint32_t>(source.width() - 1) * 256 : 0,
                             source.height() > 0 ? static_cast<std::uint32_t>(source.height() - 1) * 256 : 0,
                             weights().byFraction.data()};

    struct Coordinates {
        alignas(16) std::int32_t x256[kChunk];
        alignas(16) std::int32_t y256[kChunk];
        bool allInterior;
    };
    Coordinates coordinates[2];
    alignas(16) Argb samples[kChunk];
    FixedVector outsideVectors[kChunk];

    // Source points of one tile row, in 1/256 pixel units.
    auto locate = [&](int x0, int count, int y, Coordinates& c) {
        // Cells beyond the map read (0, 0), as the safe get gives them.
        const FixedVector* vectors;
        if (y < map.height() && x0 + count <= map.width()) {
            vectors = map.row(y) + x0;
        } else {
            for (int i = 0; i < count; ++i) outsideVectors[i] = map.vectorSafe(x0 + i, y);
            vectors = outsideVectors;
        }
        const Fixed rowY = fixedAdd(toFixed(y), shiftY);
        const Fixed columnX = fixedAdd(toFixed(x0), shiftX);
        std::uint32_t outside = 0;
        for (int i = 0; i < count; ++i) {
            const std::int32_t sx = fixedAdd(fixedAdd(columnX, toFixed(i)), vectors[i].x);
            const std::int32_t sy = fixedAdd(rowY, vectors[i].y);
            c.x256[i] = to256(sx);
            c.y256[i] = to256(sy);
            outside |= static_cast<std::uint32_t>(static_cast<std::uint32_t>(c.x256[i]) >= context.lastX256) |
                       static_cast<std::uint32_t>(static_cast<std::uint32_t>(c.y256[i]) >= context.lastY256);
        }
        c.allInterior = outside == 0;
        // Ask for the next row's source pixels while this one is mixed.
        if (c.allInterior) {
            for (int i = 0; i < count; i += 4) {
                const Argb* p = context.pixels + static_cast<std::ptrdiff_t>(c.y256[i] >> 8) * context.stride +
                                (c.x256[i] >> 8);
                prefetch(p);
                prefetch(p + context.stride);
            }
        }
    };

    // Tiles of kChunk columns by kBand rows: the source pixels that
    // neighbouring destination rows read (often the same ones, a row apart
    // for a turning deformation) are then still in the cache.
    for (int bandTop = area.top; bandTop < area.bottom; bandTop += kBand) {
        const int bandBottom = std::min(area.bottom, bandTop + kBand);
        for (int x0 = area.left; x0 < area.right; x0 += kChunk) {
            const int count = std::min(kChunk, area.right - x0);
            int current = 0;
            locate(x0, count, bandTop, coordinates[current]);
            for (int y = bandTop; y < bandBottom; ++y) {
                if (y + 1 < bandBottom) locate(x0, count, y + 1, coordinates[current ^ 1]);
                const Coordinates& c = coordinates[current];
                if (c.allInterior) {
                    sampleInterior(context, c.x256, c.y256, count, samples);
                } else {
                    sampleMixed(context, source, c.x256, c.y256, count, samples);
                }
                writeSamples(source, samples, destination.row(y) + x0, count);
                current ^= 1;
            }
        }
    }
    return true;
}

}  // namespace raster_detail
}  // namespace mugwarp
