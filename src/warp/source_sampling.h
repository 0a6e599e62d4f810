#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "raster/color.h"
#include "raster/fixed.h"
#include "raster/pixel_surface.h"
#include "raster/samplers.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mugwarp {

// (w a + (255 - w) b) / 255 on all four channels at once: two channels per
// 32-bit word, each in a 16-bit lane that the products cannot overflow, and
// the division by 255 done exactly as (n + 1 + (n >> 8)) >> 8, which holds
// for every n up to 255 * 255. Equal to mixChannels, without its loop.
inline Argb mixPixels(Argb a, Argb b, std::uint32_t w) {
    constexpr std::uint32_t kLanes = 0x00FF00FF;
    const std::uint32_t v = 255 - w;
    std::uint32_t rb = w * (a & kLanes) + v * (b & kLanes);
    std::uint32_t ag = w * ((a >> 8) & kLanes) + v * ((b >> 8) & kLanes);
    rb = ((rb + 0x00010001u + ((rb >> 8) & kLanes)) >> 8) & kLanes;
    ag = ((ag + 0x00010001u + ((ag >> 8) & kLanes)) >> 8) & kLanes;
    return rb | (ag << 8);
}

// The four-pixel bilinear mix: upper pair mixed by wx, lower pair by wx, then
// the two results by wy; exactly mixPixels three times.
inline Argb mixQuad(const Argb* upper, const Argb* lower, std::uint32_t wx, std::uint32_t wy) {
#if defined(__SSE2__)
    // Both horizontal mixes in one register (upper result in the low four
    // 16-bit lanes, lower result in the high four), then the vertical one.
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i up = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper));
    const __m128i down = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower));
    const __m128i quad = _mm_unpacklo_epi32(up, down);  // p00 p01 p10 p11
    const __m128i left = _mm_unpacklo_epi8(quad, zero);
    const __m128i right = _mm_unpackhi_epi8(quad, zero);
    const auto div255 = [&](__m128i n) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(n, one), _mm_srli_epi16(n, 8)), 8);
    };
    const __m128i rows = div255(_mm_add_epi16(_mm_mullo_epi16(left, _mm_set1_epi16(static_cast<short>(wx))),
                                              _mm_mullo_epi16(right, _mm_set1_epi16(static_cast<short>(255 - wx)))));
    const __m128i lowerRow = _mm_srli_si128(rows, 8);
    const __m128i mixed = div255(_mm_add_epi16(_mm_mullo_epi16(rows, _mm_set1_epi16(static_cast<short>(wy))),
                                               _mm_mullo_epi16(lowerRow, _mm_set1_epi16(static_cast<short>(255 - wy)))));
    return static_cast<Argb>(_mm_cvtsi128_si32(_mm_packus_epi16(mixed, mixed)));
#else
    return mixPixels(mixPixels(upper[0], upper[1], wx), mixPixels(lower[0], lower[1], wx), wy);
#endif
}

// The source's bilinear sample at a 16.16 point: the same colour as the
// surface's own bilinear resampler, with the four-pixel interior case inline.
class BilinearSource {
public:
    BilinearSource(const PixelSurface& source, const std::array<std::uint8_t, 256>& gamma)
        : source_(source),
          bits_(source.bits()),
          width_(source.width()),
          gamma_(gamma.data()),
          lastX_((static_cast<std::int64_t>(source.width()) - 1) * 256),
          lastY_((static_cast<std::int64_t>(source.height()) - 1) * 256) {}

    Argb operator()(Fixed sx, Fixed sy) const {
        const std::int64_t x = (static_cast<std::int64_t>(sx) + 127) >> 8;
        const std::int64_t y = (static_cast<std::int64_t>(sy) + 127) >> 8;
        if (x < 0 || y < 0 || x >= lastX_ || y >= lastY_) return sampleBilinear(source_, sx, sy);
        const Argb* upper = bits_ + ((y >> 8) * width_ + (x >> 8));
        const Argb* lower = upper + width_;
        const std::uint32_t wx = gamma_[255 - (x & 255)];
        const std::uint32_t wy = gamma_[255 - (y & 255)];
        return mixQuad(upper, lower, wx, wy);
    }

private:
    const PixelSurface& source_;
    const Argb* bits_;
    std::ptrdiff_t width_;
    const std::uint8_t* gamma_;
    std::int64_t lastX_;
    std::int64_t lastY_;
};

}  // namespace mugwarp
