#include <array>
#include <cstdint>

#include "raster/gamma_table.h"
#include "warp/row_kernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

// Only the functions marked for AVX2 use it, so the rest of the program
// still runs on any x86-64; they are called only after checking the CPU.
#define MUGWARP_AVX2 __attribute__((target("avx2")))

namespace mugwarp::warp_detail {

namespace {

// The interpolation step of the scalar kernel, b + ((w (a - b)) >> 16) with
// the same wrap-around, on four (x, y) pairs: each pair's weight, 0..65535,
// is read from the low half of its 64-bit lane. Of the exact 64-bit
// products only bits 16..47 are kept, which an arithmetic and a logical
// shift agree on.
MUGWARP_AVX2 inline __m256i lerpPairs(__m256i a, __m256i b, __m256i w) {
    const __m256i d = _mm256_sub_epi32(a, b);
    const __m256i xs = _mm256_srli_epi64(_mm256_mul_epi32(d, w), 16);
    const __m256i ys = _mm256_slli_epi64(_mm256_mul_epi32(_mm256_srli_epi64(d, 32), w), 16);
    return _mm256_add_epi32(b, _mm256_blend_epi32(xs, ys, 0xAA));
}

// fixedMul(m, b) on interleaved (x, y) lanes: bits 16..47 of the 64-bit
// product, which an arithmetic and a logical shift agree on.
MUGWARP_AVX2 inline __m256i scaleVectors(__m256i b, __m256i m) {
    const __m256i xs = _mm256_srli_epi64(_mm256_mul_epi32(b, m), 16);
    const __m256i ys = _mm256_slli_epi64(_mm256_mul_epi32(_mm256_srli_epi64(b, 32), _mm256_srli_epi64(m, 32)), 16);
    return _mm256_blend_epi32(xs, ys, 0xAA);
}

MUGWARP_AVX2 inline __m256i loadPair(const FixedVector* lo, const FixedVector* hi) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lo))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi)), 1);
}

// Weights by 1/256 fraction f, gamma[255 - f], repeated over 16-bit lanes:
// eight of them for the horizontal step of a pixel's two rows, four for the
// vertical step of one pixel.
struct WeightTables {
    alignas(16) std::array<std::array<std::uint16_t, 8>, 256> eight{};
    std::array<std::uint64_t, 256> four{};
    WeightTables() {
        const auto& gamma = gammaTable();
        for (int f = 0; f < 256; ++f) {
            const std::uint16_t w = gamma[255 - f];
            eight[f].fill(w);
            four[f] = w * 0x0001000100010001ull;
        }
    }
};

const WeightTables& weightTables() {
    static const WeightTables tables;
    return tables;
}

// (w a + (255 - w) b) / 255 on 16-bit channels; for every 16-bit n,
// (n * 0x8081) >> 23 is n / 255, the high half of the product already
// shifted by 16.
MUGWARP_AVX2 inline __m256i mixChannels16(__m256i a, __m256i b, __m256i w) {
    const __m256i n = _mm256_add_epi16(_mm256_mullo_epi16(a, w),
                                       _mm256_mullo_epi16(b, _mm256_sub_epi16(_mm256_set1_epi16(255), w)));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(n, _mm256_set1_epi16(static_cast<short>(0x8081))), 7);
}

// Where the eight pixels of a step read: the offset of each upper left
// source pixel, and the byte offsets of its weights in the tables.
struct alignas(32) GatherLanes {
    std::uint32_t offset[8];
    std::uint32_t fxBytes[8];  // into WeightTables::eight
    std::uint32_t fy[8];       // index into WeightTables::four
};

// The four pixels around source offset i as bytes: upper left, lower left,
// upper right, lower right.
MUGWARP_AVX2 inline __m128i quadAt(const Argb* upper, const Argb* lower, std::uint32_t i) {
    return _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper + i)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower + i)));
}

MUGWARP_AVX2 inline __m128i eightWeights(const WeightTables& w, std::uint32_t bytes) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(reinterpret_cast<const char*>(w.eight.data()) + bytes));
}

// Pixels a and c mixed along their rows: the upper then the lower result of
// a | the same for c, as 16-bit channels.
MUGWARP_AVX2 inline __m256i mixRows(const Argb* upper, const Argb* lower, const GatherLanes& g, const WeightTables& w,
                                    int a, int c) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i quads = _mm256_inserti128_si256(_mm256_castsi128_si256(quadAt(upper, lower, g.offset[a])),
                                                  quadAt(upper, lower, g.offset[c]), 1);
    const __m256i weights =
        _mm256_inserti128_si256(_mm256_castsi128_si256(eightWeights(w, g.fxBytes[a])), eightWeights(w, g.fxBytes[c]), 1);
    return mixChannels16(_mm256_unpacklo_epi8(quads, zero), _mm256_unpackhi_epi8(quads, zero), weights);
}

// Four interior pixels k..k+3 as 16-bit channels, in the order k, k+1 | k+2, k+3.
MUGWARP_AVX2 inline __m256i mixFour(const Argb* upper, const Argb* lower, const GatherLanes& g, const WeightTables& w,
                                    int k) {
    const __m256i rowsAC = mixRows(upper, lower, g, w, k, k + 2);
    const __m256i rowsBD = mixRows(upper, lower, g, w, k + 1, k + 3);
    const __m256i weights = _mm256_setr_epi64x(
        static_cast<long long>(w.four[g.fy[k]]), static_cast<long long>(w.four[g.fy[k + 1]]),
        static_cast<long long>(w.four[g.fy[k + 2]]), static_cast<long long>(w.four[g.fy[k + 3]]));
    return mixChannels16(_mm256_unpacklo_epi64(rowsAC, rowsBD), _mm256_unpackhi_epi64(rowsAC, rowsBD), weights);
}

// floor((v + 127) / 256) without the overflow of v + 127.
MUGWARP_AVX2 inline __m256i to256(__m256i v) {
    return _mm256_add_epi32(_mm256_srai_epi32(v, 8),
                            _mm256_srli_epi32(_mm256_add_epi32(_mm256_and_si256(v, _mm256_set1_epi32(255)),
                                                               _mm256_set1_epi32(127)),
                                              8));
}

// Lanes with 0 <= v < limit, as all ones.
MUGWARP_AVX2 inline __m256i within(__m256i v, __m256i limit) {
    return _mm256_and_si256(_mm256_cmpgt_epi32(v, _mm256_set1_epi32(-1)), _mm256_cmpgt_epi32(limit, v));
}

// Interleaved (x, y) lanes for columns x .. x + 3 of row y, in 16.16.
MUGWARP_AVX2 inline __m256i fixedPositions(int x, Fixed y) {
    return _mm256_setr_epi32(toFixed(x), y, toFixed(x + 1), y, toFixed(x + 2), y, toFixed(x + 3), y);
}

}  // namespace

// Four cells per step with their (x, y) pairs interleaved as in memory; a
// step with any cell whose four neighbours are not all inside the map goes
// cell by cell.
MUGWARP_AVX2 void composeCellsAvx2(const ComposeRow& r, int first, int last, FixedVector* out) {
    const FixedVector* brush = r.brush;
    const FixedVector* cells = r.map.cells;
    const int width = r.map.width;
    const int height = r.map.height;
    int s = first;
    if (width >= 2 && height >= 2 && last - first >= 3) {
        const __m256i limits = _mm256_setr_epi32(width - 1, height - 1, width - 1, height - 1, width - 1, height - 1,
                                                 width - 1, height - 1);
        const __m256i multipliers = _mm256_setr_epi32(r.multiplierX, r.multiplierY, r.multiplierX, r.multiplierY,
                                                      r.multiplierX, r.multiplierY, r.multiplierX, r.multiplierY);
        const __m256i step = _mm256_setr_epi32(toFixed(4), 0, toFixed(4), 0, toFixed(4), 0, toFixed(4), 0);
        const __m256i rowLength = _mm256_set1_epi32(width);
        const __m256i fractionMask = _mm256_set1_epi32(0xFFFF);
        const __m256i consecutive = _mm256_setr_epi32(0, 0, 1, 0, 2, 0, 3, 0);
        const bool scaled = r.scaled;
        __m256i position = fixedPositions(r.left + s, r.y);
        for (; s + 3 <= last; s += 4, position = _mm256_add_epi32(position, step)) {
            __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(brush + s));
            if (scaled) b = scaleVectors(b, multipliers);
            const __m256i p = _mm256_add_epi32(position, b);
            const __m256i cell = _mm256_srai_epi32(p, 16);
            if (_mm256_movemask_epi8(within(cell, limits)) != -1) {
                composeCells(r, s, s + 3, out);
                continue;
            }
            // Row times width plus column, in the x lanes.
            const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_shuffle_epi32(cell, 0xF5), rowLength), cell);
            const __m256i fraction = _mm256_and_si256(p, fractionMask);
            // x fractions in the low halves already; y fractions moved there.
            const __m256i fx = fraction;
            const __m256i fy = _mm256_srli_epi64(fraction, 32);
            __m256i topLeft, topRight, bottomLeft, bottomRight;
            if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(
                    cell, _mm256_add_epi32(_mm256_permute4x64_epi64(cell, 0), consecutive))) == -1) {
                // The four cells read from one row, each one column right of
                // the last, as a gentle brush over a smooth map mostly does:
                // their neighbourhoods are four overlapping runs of cells.
                const FixedVector* upper = cells + _mm256_cvtsi256_si32(index);
                const FixedVector* lower = upper + width;
                topLeft = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper));
                topRight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + 1));
                bottomLeft = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower));
                bottomRight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + 1));
            } else {
                alignas(32) std::int32_t at[8];
                _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
                // Read back from memory: one load a lane, where extracting
                // lanes from the register costs several instructions.
                asm("" : "+m"(at));
                const FixedVector* lower = cells + width;
                const __m256i up02 = loadPair(cells + at[0], cells + at[4]);
                const __m256i up13 = loadPair(cells + at[2], cells + at[6]);
                const __m256i down02 = loadPair(lower + at[0], lower + at[4]);
                const __m256i down13 = loadPair(lower + at[2], lower + at[6]);
                topLeft = _mm256_unpacklo_epi64(up02, up13);
                topRight = _mm256_unpackhi_epi64(up02, up13);
                bottomLeft = _mm256_unpacklo_epi64(down02, down13);
                bottomRight = _mm256_unpackhi_epi64(down02, down13);
            }
            const __m256i top = lerpPairs(topRight, topLeft, fx);
            const __m256i bottom = lerpPairs(bottomRight, bottomLeft, fx);
            const __m256i v = lerpPairs(bottom, top, fy);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + s), _mm256_add_epi32(v, b));
        }
    }
    if (s <= last) composeCells(r, s, last, out);
}

// Eight pixels per step; a step with any point off the source's interior
// goes pixel by pixel.
MUGWARP_AVX2 void renderPixelsAvx2(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row) {
    const int width = r.sourceWidth;
    const int height = r.sourceHeight;
    const Argb* bits = r.sourceBits;
    const Argb* below = bits + width;
    int s = first;
    // Beyond 2^22 pixels the 1/256 positions leave 32-bit lanes.
    if (width >= 2 && height >= 2 && width < (1 << 22) && height < (1 << 22) && last - first >= 7) {
        const WeightTables& weights = weightTables();
        const std::int32_t lastX = (width - 1) * 256;
        const std::int32_t lastY = (height - 1) * 256;
        const __m256i limits = _mm256_setr_epi32(lastX, lastY, lastX, lastY, lastX, lastY, lastX, lastY);
        const __m256i four = _mm256_setr_epi32(toFixed(4), 0, toFixed(4), 0, toFixed(4), 0, toFixed(4), 0);
        const __m256i eight = _mm256_add_epi32(four, four);
        const __m256i xsThenYs = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
        const __m256i rowLength = _mm256_set1_epi32(width);
        const __m256i fractionMask = _mm256_set1_epi32(255);
        __m256i position = fixedPositions(r.left + s, toFixed(r.y));
        for (; s + 7 <= last; s += 8, position = _mm256_add_epi32(position, eight)) {
            const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(vectors + s));
            const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(vectors + s + 4));
            const __m256i p0 = to256(_mm256_add_epi32(position, v0));
            const __m256i p1 = to256(_mm256_add_epi32(_mm256_add_epi32(position, four), v1));
            if (_mm256_movemask_epi8(_mm256_and_si256(within(p0, limits), within(p1, limits))) != -1) {
                renderPixels(r, s, s + 7, vectors, row);
                continue;
            }
            const __m256i split0 = _mm256_permutevar8x32_epi32(p0, xsThenYs);
            const __m256i split1 = _mm256_permutevar8x32_epi32(p1, xsThenYs);
            const __m256i x = _mm256_permute2x128_si256(split0, split1, 0x20);
            const __m256i y = _mm256_permute2x128_si256(split0, split1, 0x31);
            GatherLanes lanes;
            _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.offset),
                               _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(y, 8), rowLength),
                                                _mm256_srai_epi32(x, 8)));
            _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.fxBytes),
                               _mm256_slli_epi32(_mm256_and_si256(x, fractionMask), 4));
            _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.fy), _mm256_and_si256(y, fractionMask));
            // Read back one lane at a time from memory: one load each, where
            // extracting lanes from the registers costs several instructions.
            asm("" : "+m"(lanes));
            const __m256i low = mixFour(bits, below, lanes, weights, 0);   // 0 1 | 2 3
            const __m256i high = mixFour(bits, below, lanes, weights, 4);  // 4 5 | 6 7
            const __m256i pixels = _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), 0xD8);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + r.left + s), pixels);
        }
    }
    if (s <= last) renderPixels(r, s, last, vectors, row);
}

}  // namespace mugwarp::warp_detail

#else

namespace mugwarp::warp_detail {

// Never chosen without AVX2; present so that the dispatch links everywhere.
void composeCellsAvx2(const ComposeRow& r, int first, int last, FixedVector* out) { composeCells(r, first, last, out); }
void renderPixelsAvx2(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row) {
    renderPixels(r, first, last, vectors, row);
}

}  // namespace mugwarp::warp_detail

#endif
