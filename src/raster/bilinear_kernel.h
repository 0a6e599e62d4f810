#pragma once
#include <cstdint>

#include "raster/color.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mugwarp::raster_detail {

// The interior bilinear mix of bilinearInterior(), bit for bit, for the hot
// loop: the caller passes the two source rows at the left pixel and the gamma
// weights already looked up (wx for the left pixels, wy for the upper pair).
// Every step is (w * a + (255 - w) * b) / 255 on all four channels at once;
// the sums stay below 65026, where (v + 1 + (v >> 8)) >> 8 equals v / 255.

// Portable form: the four channels of a pixel spread over the 16-bit lanes
// of a 64-bit word.
namespace swar {

constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;

inline std::uint64_t spread(Argb p) { return (p & 0x00FF00FFu) | (static_cast<std::uint64_t>(p & 0xFF00FF00u) << 24); }
inline Argb gather(std::uint64_t v) {
    return static_cast<Argb>(v & 0x00FF00FFu) | static_cast<Argb>((v >> 24) & 0xFF00FF00u);
}
inline std::uint64_t mix(std::uint64_t a, std::uint64_t b, std::uint32_t w) {
    const std::uint64_t v = a * w + b * (255 - w);
    return ((v + 0x0001000100010001ull + ((v >> 8) & kLanes)) >> 8) & kLanes;
}

inline Argb bilinearOne(const Argb* upper, const Argb* lower, std::uint32_t wx, std::uint32_t wy) {
    const std::uint64_t top = mix(spread(upper[0]), spread(upper[1]), wx);
    const std::uint64_t bottom = mix(spread(lower[0]), spread(lower[1]), wx);
    return gather(mix(top, bottom, wy));
}

inline std::uint64_t bilinearPair(const Argb* upperA, const Argb* lowerA, std::uint32_t wxA, std::uint32_t wyA,
                                  const Argb* upperB, const Argb* lowerB, std::uint32_t wxB, std::uint32_t wyB) {
    return bilinearOne(upperA, lowerA, wxA, wyA) |
           (static_cast<std::uint64_t>(bilinearOne(upperB, lowerB, wxB, wyB)) << 32);
}

}  // namespace swar

#if defined(__SSE2__)
namespace sse2 {

inline __m128i div255Epu16(__m128i v) {
    const __m128i one = _mm_set1_epi16(1);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, one), _mm_srli_epi16(v, 8)), 8);
}

// Two output pixels per call: upper/lower rows of pixel a and of pixel b.
inline std::uint64_t bilinearPair(const Argb* upperA, const Argb* lowerA, std::uint32_t wxA, std::uint32_t wyA,
                                  const Argb* upperB, const Argb* lowerB, std::uint32_t wxB, std::uint32_t wyB) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i c255 = _mm_set1_epi16(255);
    // [left upper, left lower, right upper, right lower] as bytes.
    const __m128i quadA = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upperA)),
                                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lowerA)));
    const __m128i quadB = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upperB)),
                                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lowerB)));
    const __m128i wxa = _mm_set1_epi16(static_cast<short>(wxA));
    const __m128i wxb = _mm_set1_epi16(static_cast<short>(wxB));
    // w * a + (255 - w) * b on 16-bit lanes, divided by 255.
    const auto mix = [&](__m128i a, __m128i b, __m128i w) {
        return div255Epu16(_mm_add_epi16(_mm_mullo_epi16(a, w), _mm_mullo_epi16(b, _mm_sub_epi16(c255, w))));
    };
    // Horizontal: the left pixels against the right ones, upper and lower pair together.
    const __m128i hA = mix(_mm_unpacklo_epi8(quadA, zero), _mm_unpackhi_epi8(quadA, zero), wxa);
    const __m128i hB = mix(_mm_unpacklo_epi8(quadB, zero), _mm_unpackhi_epi8(quadB, zero), wxb);
    // Vertical: the upper results against the lower ones, both pixels together.
    const __m128i wy =
        _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(wyA)), _mm_set1_epi16(static_cast<short>(wyB)));
    const __m128i v = mix(_mm_unpacklo_epi64(hA, hB), _mm_unpackhi_epi64(hA, hB), wy);
    std::uint64_t out;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out), _mm_packus_epi16(v, v));
    return out;
}

inline Argb bilinearOne(const Argb* upper, const Argb* lower, std::uint32_t wx, std::uint32_t wy) {
    return static_cast<Argb>(bilinearPair(upper, lower, wx, wy, upper, lower, wx, wy));
}

}  // namespace sse2
using sse2::bilinearOne;
using sse2::bilinearPair;
#else
using swar::bilinearOne;
using swar::bilinearPair;
#endif

}  // namespace mugwarp::raster_detail
