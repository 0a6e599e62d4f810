#include "pshost/rgb_rows.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

namespace mugwarp {

namespace {

bool haveSsse3() {
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}

// Four little-endian 0xAARRGGBB pixels (bytes B G R A) to R G B in the low 12
// bytes, and back with alpha bytes left zero. (The masks are made inside the
// functions: a 32-bit build may not enable SSE for the rest of the file.)
__attribute__((target("ssse3"))) int packSsse3(const std::uint32_t* pixels, std::uint8_t* out, int count) {
    const __m128i kToRgb = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -128, -128, -128, -128);
    int x = 0;
    for (; x + 16 <= count; x += 16, out += 48) {
        const auto* p = reinterpret_cast<const __m128i*>(pixels + x);
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(p), kToRgb);
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(p + 1), kToRgb);
        const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(p + 2), kToRgb);
        const __m128i d = _mm_shuffle_epi8(_mm_loadu_si128(p + 3), kToRgb);
        auto* o = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(o, _mm_or_si128(a, _mm_slli_si128(b, 12)));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
    }
    return x;
}

__attribute__((target("ssse3"))) int unpackSsse3(const std::uint8_t* in, std::uint32_t* pixels, int count) {
    const __m128i kFromRgb = _mm_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    int x = 0;
    for (; x + 16 <= count; x += 16, in += 48) {
        const auto* i = reinterpret_cast<const __m128i*>(in);
        const __m128i in0 = _mm_loadu_si128(i), in1 = _mm_loadu_si128(i + 1), in2 = _mm_loadu_si128(i + 2);
        const __m128i groups[4] = {in0, _mm_alignr_epi8(in1, in0, 12), _mm_alignr_epi8(in2, in1, 8), _mm_srli_si128(in2, 4)};
        auto* p = reinterpret_cast<__m128i*>(pixels + x);
        for (int g = 0; g < 4; ++g) {
            const __m128i kept = _mm_and_si128(_mm_loadu_si128(p + g), alpha);
            _mm_storeu_si128(p + g, _mm_or_si128(kept, _mm_shuffle_epi8(groups[g], kFromRgb)));
        }
    }
    return x;
}

}  // namespace

int packRgbRows(const std::uint32_t* pixels, std::uint8_t* out, int count) {
    return haveSsse3() ? packSsse3(pixels, out, count) : 0;
}

int unpackRgbRows(const std::uint8_t* in, std::uint32_t* pixels, int count) {
    return haveSsse3() ? unpackSsse3(in, pixels, count) : 0;
}

}  // namespace mugwarp

#else

namespace mugwarp {

int packRgbRows(const std::uint32_t*, std::uint8_t*, int) { return 0; }
int unpackRgbRows(const std::uint8_t*, std::uint32_t*, int) { return 0; }

}  // namespace mugwarp

#endif
