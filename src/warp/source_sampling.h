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

#if defined(__SSE2__)
// Per weight w, the 16-bit pairs (w, 255 - w) four times: one multiply-add
// then mixes a pair of pixels interleaved channel by channel.
struct MixWeights {
    __m128i pairs[256];
    MixWeights() {
        for (int w = 0; w < 256; ++w) pairs[w] = _mm_set1_epi32((255 - w) << 16 | w);
    }
};

// (n + 1 + (n >> 8)) >> 8 on 32-bit lanes: n / 255 for n up to 255 * 255.
inline __m128i divide255(__m128i n) {
    return _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(n, _mm_set1_epi32(1)), _mm_srli_epi32(n, 8)), 8);
}

// The four-pixel bilinear mix: upper pair mixed by wx, lower pair by wx, then
// the two results by wy; exactly mixPixels three times.
inline Argb mixQuad(const Argb* upper, const Argb* lower, const __m128i& wx, const __m128i& wy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i up = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper));
    const __m128i down = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower));
    const __m128i quad = _mm_unpacklo_epi32(up, down);                     // p00 p01 p10 p11
    const __m128i pairs = _mm_unpacklo_epi8(quad, _mm_srli_si128(quad, 8));  // p00/p10, p01/p11 by channel
    const __m128i top = divide255(_mm_madd_epi16(_mm_unpacklo_epi8(pairs, zero), wx));
    const __m128i bottom = divide255(_mm_madd_epi16(_mm_unpackhi_epi8(pairs, zero), wx));
    const __m128i rows = _mm_unpacklo_epi16(_mm_packs_epi32(top, top), _mm_packs_epi32(bottom, bottom));
    const __m128i mixed = divide255(_mm_madd_epi16(rows, wy));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(mixed, mixed), zero);
    return static_cast<Argb>(_mm_cvtsi128_si32(bytes));
}
#endif

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
#if defined(__SSE2__)
        return mixQuad(upper, lower, weights_.pairs[wx], weights_.pairs[wy]);
#else
        return mixPixels(mixPixels(upper[0], upper[1], wx), mixPixels(lower[0], lower[1], wx), wy);
#endif
    }

private:
    const PixelSurface& source_;
    const Argb* bits_;
    std::ptrdiff_t width_;
    const std::uint8_t* gamma_;
#if defined(__SSE2__)
    MixWeights weights_;
#endif
    std::int64_t lastX_;
    std::int64_t lastY_;
};

}  // namespace mugwarp
