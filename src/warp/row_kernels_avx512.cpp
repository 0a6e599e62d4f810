#include <algorithm>
#include <array>
#include <cstdint>

#include "raster/gamma_table.h"
#include "warp/row_kernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

// Only the functions marked so use these extensions, so the rest of the
// program still runs on any x86-64; they are called only after checking the
// CPU.
#define MUGWARP_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

namespace mugwarp::warp_detail {

namespace {

// The unmasked forms of these pass an undefined vector through, which GCC 12
// reports as possibly uninitialised; with every lane selected the masked
// forms are the same instructions.
constexpr __mmask16 kEveryLane = 0xFFFF;
constexpr __mmask8 kEveryQuad = 0xFF;
MUGWARP_AVX512 inline __m512i shiftRightArithmetic(__m512i v, unsigned n) {
    return _mm512_maskz_srai_epi32(kEveryLane, v, n);
}
MUGWARP_AVX512 inline __m512i shiftRightLogical(__m512i v, unsigned n) {
    return _mm512_maskz_srli_epi32(kEveryLane, v, n);
}
MUGWARP_AVX512 inline __m128i lowBytes(__m512i v) { return _mm512_maskz_cvtepi32_epi8(kEveryLane, v); }
MUGWARP_AVX512 inline __m512i lowQuads(__m512i a, __m512i b) { return _mm512_maskz_unpacklo_epi64(kEveryQuad, a, b); }
MUGWARP_AVX512 inline __m512i highQuads(__m512i a, __m512i b) { return _mm512_maskz_unpackhi_epi64(kEveryQuad, a, b); }
MUGWARP_AVX512 inline __m512i quadsRight(__m512i v, unsigned n) { return _mm512_maskz_srli_epi64(kEveryQuad, v, n); }
MUGWARP_AVX512 inline __m512i multiplyEven(__m512i a, __m512i b) { return _mm512_maskz_mul_epi32(kEveryQuad, a, b); }
MUGWARP_AVX512 inline __m512i quadsLeft(__m512i v, unsigned n) { return _mm512_maskz_slli_epi64(kEveryQuad, v, n); }

// The interpolation step of the scalar kernel, b + ((w (a - b)) >> 16) with
// the same wrap-around, on eight (x, y) pairs: each pair's weight, 0..65535,
// is read from the low half of its 64-bit lane. Of the exact 64-bit
// products only bits 16..47 are kept, which an arithmetic and a logical
// shift agree on.
MUGWARP_AVX512 inline __m512i lerpPairs(__m512i a, __m512i b, __m512i w) {
    const __m512i d = _mm512_sub_epi32(a, b);
    const __m512i xs = quadsRight(multiplyEven(d, w), 16);
    const __m512i ys = quadsLeft(multiplyEven(quadsRight(d, 32), w), 16);
    return _mm512_add_epi32(b, _mm512_mask_blend_epi32(0xAAAA, xs, ys));
}

// fixedMul(m, b) on interleaved (x, y) lanes.
MUGWARP_AVX512 inline __m512i scaleVectors(__m512i b, __m512i m) {
    const __m512i xs = quadsRight(multiplyEven(b, m), 16);
    const __m512i ys = quadsLeft(multiplyEven(quadsRight(b, 32), quadsRight(m, 32)), 16);
    return _mm512_mask_blend_epi32(0xAAAA, xs, ys);
}

// The cells at four offsets, each with its right-hand neighbour, one pair
// per 128-bit lane.
MUGWARP_AVX512 inline __m512i loadFour(const FixedVector* cells, const std::int32_t* at, int a, int b, int c, int d) {
    __m512i v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + at[a])));
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + at[b])), 1);
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + at[c])), 2);
    return _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + at[d])), 3);
}

// Weight by 1/256 fraction f, gamma[255 - f], as four 64-byte tables that a
// byte permutation looks up 64 fractions at a time.
struct alignas(64) WeightBytes {
    std::array<std::uint8_t, 256> bytes{};
    WeightBytes() {
        const auto& gamma = gammaTable();
        for (int f = 0; f < 256; ++f) bytes[static_cast<std::size_t>(f)] = gamma[static_cast<std::size_t>(255 - f)];
    }
};

const WeightBytes& weightBytes() {
    static const WeightBytes table;
    return table;
}

// The weights of the fractions in the bytes of f (any byte value).
MUGWARP_AVX512 inline __m512i lookUpWeights(__m512i f, const __m512i (&table)[4]) {
    const __m512i low = _mm512_permutex2var_epi8(table[0], f, table[1]);
    const __m512i high = _mm512_permutex2var_epi8(table[2], f, table[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(f), low, high);
}

// (w a + (255 - w) b) / 255 on 16-bit channels; for every 16-bit n,
// (n * 0x8081) >> 23 is n / 255.
MUGWARP_AVX512 inline __m512i mixChannels(__m512i a, __m512i b, __m512i w) {
    const __m512i n = _mm512_add_epi16(_mm512_mullo_epi16(a, w),
                                       _mm512_mullo_epi16(b, _mm512_sub_epi16(_mm512_set1_epi16(255), w)));
    return _mm512_srli_epi16(_mm512_mulhi_epu16(n, _mm512_set1_epi16(static_cast<short>(0x8081))), 7);
}

// The four pixels around source offset i as bytes: upper left, lower left,
// upper right, lower right.
MUGWARP_AVX512 inline __m128i quadAt(const Argb* upper, const Argb* lower, std::uint32_t i) {
    return _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper + i)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower + i)));
}

// Pixels k, k + 4, k + 8 and k + 12 of a step, one per 128-bit lane, mixed
// along their rows: the upper then the lower result, as 16-bit channels.
MUGWARP_AVX512 inline __m512i mixRows(const Argb* upper, const Argb* lower, const std::uint32_t* offset, __m512i weights,
                                      int k) {
    __m512i quads = _mm512_castsi128_si512(quadAt(upper, lower, offset[k]));
    quads = _mm512_inserti32x4(quads, quadAt(upper, lower, offset[k + 4]), 1);
    quads = _mm512_inserti32x4(quads, quadAt(upper, lower, offset[k + 8]), 2);
    quads = _mm512_inserti32x4(quads, quadAt(upper, lower, offset[k + 12]), 3);
    const __m512i zero = _mm512_setzero_si512();
    return mixChannels(_mm512_unpacklo_epi8(quads, zero), _mm512_unpackhi_epi8(quads, zero), weights);
}

// Byte indices that spread weight bytes over 16-bit lanes (spreadWeights
// zeroes the high bytes). Rows: the weight along the row of pixel k + 4 L
// over lane L, from bytes 0..15. Row pairs and columns: the weight along the
// row (from bytes 0..15) or down the column (from bytes 16..31) of pixel
// 2 k + 4 L over the low half of lane L and of pixel 2 k + 1 + 4 L over its
// high half.
struct alignas(64) SpreadIndices {
    std::uint8_t rows[4][64];
    std::uint8_t rowPairs[2][64];
    std::uint8_t columns[2][64];
    SpreadIndices() {
        for (int j = 0; j < 64; ++j) {
            const int lane = j / 16;
            for (int k = 0; k < 4; ++k) rows[k][j] = static_cast<std::uint8_t>(4 * lane + k);
            for (int k = 0; k < 2; ++k) {
                rowPairs[k][j] = static_cast<std::uint8_t>(4 * lane + 2 * k + (j % 16 >= 8 ? 1 : 0));
                columns[k][j] = static_cast<std::uint8_t>(16 + rowPairs[k][j]);
            }
        }
    }
};

const SpreadIndices& spreadIndices() {
    static const SpreadIndices indices;
    return indices;
}

MUGWARP_AVX512 inline __m512i spreadWeights(__m512i indices, __m512i weights) {
    return _mm512_maskz_permutexvar_epi8(0x5555555555555555ull, indices, weights);
}

// Where the sixteen pixels of a step read when their source rows are at
// most two apart, the case of every gentle deformation: 32 columns of three
// source rows from the top left window pixel, the lower two rows for the
// pixels in `lower`, and each pixel's column within the window.
struct Windows {
    const Argb* topLeft;
    std::ptrdiff_t rowLength;
    __mmask16 lower;
    __m512i column;
};

// The sixteen pixels in order, mixed as the pixel-by-pixel kernel does,
// from their weights spread over lanes as `SpreadIndices::rowPairs` and
// `columns` do (along the rows, then down the columns).
MUGWARP_AVX512 inline __m512i mixFromWindows(const Windows& at, const __m512i (&along)[2], const __m512i (&down)[2]) {
    const Argb* rows[3] = {at.topLeft, at.topLeft + at.rowLength, at.topLeft + 2 * at.rowLength};
    const __m512i right = _mm512_add_epi32(at.column, _mm512_set1_epi32(1));
    __m512i left[3], rightOf[3];
    for (int i = 0; i < 3; ++i) {
        const __m512i first = _mm512_loadu_si512(rows[i]);
        const __m512i second = _mm512_loadu_si512(rows[i] + 16);
        left[i] = _mm512_permutex2var_epi32(first, at.column, second);
        rightOf[i] = _mm512_permutex2var_epi32(first, right, second);
    }
    const __m512i upperLeft = _mm512_mask_blend_epi32(at.lower, left[0], left[1]);
    const __m512i upperRight = _mm512_mask_blend_epi32(at.lower, rightOf[0], rightOf[1]);
    const __m512i lowerLeft = _mm512_mask_blend_epi32(at.lower, left[1], left[2]);
    const __m512i lowerRight = _mm512_mask_blend_epi32(at.lower, rightOf[1], rightOf[2]);
    // Lane L: pixels 4 L and 4 L + 1 in the first halves, 4 L + 2 and
    // 4 L + 3 in the second, as 16-bit channels.
    const __m512i zero = _mm512_setzero_si512();
    __m512i mixed[2];
    for (int half = 0; half < 2; ++half) {
        const auto channels = [&](__m512i v) MUGWARP_AVX512 {
            return half == 0 ? _mm512_unpacklo_epi8(v, zero) : _mm512_unpackhi_epi8(v, zero);
        };
        const __m512i top = mixChannels(channels(upperLeft), channels(upperRight), along[half]);
        const __m512i bottom = mixChannels(channels(lowerLeft), channels(lowerRight), along[half]);
        mixed[half] = mixChannels(top, bottom, down[half]);
    }
    return _mm512_packus_epi16(mixed[0], mixed[1]);
}

// floor((v + 127) / 256) without the overflow of v + 127.
MUGWARP_AVX512 inline __m512i to256(__m512i v) {
    return _mm512_add_epi32(shiftRightArithmetic(v, 8),
                            shiftRightLogical(_mm512_add_epi32(_mm512_and_si512(v, _mm512_set1_epi32(255)),
                                                               _mm512_set1_epi32(127)),
                                              8));
}

}  // namespace

// Eight cells per step with their (x, y) pairs interleaved as in memory; a
// step with any cell whose four neighbours are not all inside the map goes
// cell by cell.
MUGWARP_AVX512 void composeCellsAvx512(const ComposeRow& r, int first, int last, FixedVector* out) {
    const FixedVector* brush = r.brush;
    const FixedVector* cells = r.map.cells;
    const int width = r.map.width;
    const int height = r.map.height;
    int s = first;
    if (width >= 2 && height >= 2 && last - first >= 7) {
        // Unsigned, so that negative cells compare as outside too.
        const __m512i limits = _mm512_setr_epi32(width - 1, height - 1, width - 1, height - 1, width - 1, height - 1,
                                                 width - 1, height - 1, width - 1, height - 1, width - 1, height - 1,
                                                 width - 1, height - 1, width - 1, height - 1);
        const __m512i multipliers = _mm512_setr_epi32(r.multiplierX, r.multiplierY, r.multiplierX, r.multiplierY,
                                                      r.multiplierX, r.multiplierY, r.multiplierX, r.multiplierY,
                                                      r.multiplierX, r.multiplierY, r.multiplierX, r.multiplierY,
                                                      r.multiplierX, r.multiplierY, r.multiplierX, r.multiplierY);
        const __m512i step = _mm512_setr_epi32(toFixed(8), 0, toFixed(8), 0, toFixed(8), 0, toFixed(8), 0, toFixed(8), 0,
                                               toFixed(8), 0, toFixed(8), 0, toFixed(8), 0);
        const __m512i consecutive = _mm512_setr_epi32(0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0);
        const __m512i rowLength = _mm512_set1_epi32(width);
        const __m512i fractionMask = _mm512_set1_epi32(0xFFFF);
        const __m512i firstLane = _mm512_setzero_si512();
        const bool scaled = r.scaled;
        const int x0 = r.left + s;
        const Fixed y = r.y;
        __m512i position = _mm512_setr_epi32(toFixed(x0), y, toFixed(x0 + 1), y, toFixed(x0 + 2), y, toFixed(x0 + 3), y,
                                             toFixed(x0 + 4), y, toFixed(x0 + 5), y, toFixed(x0 + 6), y,
                                             toFixed(x0 + 7), y);
        for (; s + 7 <= last; s += 8, position = _mm512_add_epi32(position, step)) {
            __m512i b = _mm512_loadu_si512(brush + s);
            if (scaled) b = scaleVectors(b, multipliers);
            const __m512i p = _mm512_add_epi32(position, b);
            const __m512i cell = shiftRightArithmetic(p, 16);
            if (_mm512_cmplt_epu32_mask(cell, limits) != 0xFFFF) {
                composeCells(r, s, s + 7, out);
                continue;
            }
            // Row times width plus column, in the x lanes.
            const __m512i index =
                _mm512_add_epi32(_mm512_mullo_epi32(_mm512_maskz_shuffle_epi32(kEveryLane, cell, _MM_PERM_DDBB), rowLength), cell);
            const __m512i fraction = _mm512_and_si512(p, fractionMask);
            // x fractions in the low halves already; y fractions moved there.
            const __m512i fx = fraction;
            const __m512i fy = quadsRight(fraction, 32);
            __m512i topLeft, topRight, bottomLeft, bottomRight;
            const __m512i runOfFirst = _mm512_add_epi32(_mm512_maskz_permutexvar_epi64(kEveryQuad, firstLane, cell), consecutive);
            if (_mm512_cmpeq_epi32_mask(cell, runOfFirst) == 0xFFFF) {
                // The eight cells read from one row, each one column right of
                // the last, as a gentle brush over a smooth map mostly does:
                // their neighbourhoods are four overlapping runs of cells.
                const FixedVector* upper = cells + _mm_cvtsi128_si32(_mm512_maskz_extracti32x4_epi32(0xF, index, 0));
                const FixedVector* lower = upper + width;
                topLeft = _mm512_loadu_si512(upper);
                topRight = _mm512_loadu_si512(upper + 1);
                bottomLeft = _mm512_loadu_si512(lower);
                bottomRight = _mm512_loadu_si512(lower + 1);
            } else {
                alignas(64) std::int32_t at[16];
                _mm512_store_si512(at, index);
                // Read back from memory: one load a lane, where extracting
                // lanes from the register costs several instructions.
                asm("" : "+m"(at));
                const FixedVector* lower = cells + width;
                // Cells 0, 2, 4, 6 and 1, 3, 5, 7 with their right-hand
                // neighbours, so that their pairs interleave back in order.
                const __m512i upEven = loadFour(cells, at, 0, 4, 8, 12);
                const __m512i upOdd = loadFour(cells, at, 2, 6, 10, 14);
                const __m512i downEven = loadFour(lower, at, 0, 4, 8, 12);
                const __m512i downOdd = loadFour(lower, at, 2, 6, 10, 14);
                topLeft = lowQuads(upEven, upOdd);
                topRight = highQuads(upEven, upOdd);
                bottomLeft = lowQuads(downEven, downOdd);
                bottomRight = highQuads(downEven, downOdd);
            }
            const __m512i top = lerpPairs(topRight, topLeft, fx);
            const __m512i bottom = lerpPairs(bottomRight, bottomLeft, fx);
            const __m512i v = lerpPairs(bottom, top, fy);
            _mm512_storeu_si512(out + s, _mm512_add_epi32(v, b));
        }
    }
    if (s <= last) composeCells(r, s, last, out);
}

// Sixteen pixels per step; a step with any point off the source's interior
// goes pixel by pixel. The same arithmetic as the other kernels, with the
// weights looked up sixteen at a time.
MUGWARP_AVX512 void renderPixelsAvx512(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row) {
    const int width = r.sourceWidth;
    const int height = r.sourceHeight;
    const Argb* bits = r.sourceBits;
    const Argb* below = bits + width;
    int s = first;
    // Beyond 2^22 pixels the 1/256 positions leave 32-bit lanes.
    if (width >= 2 && height >= 2 && width < (1 << 22) && height < (1 << 22) && last - first >= 15) {
        const WeightBytes& weights = weightBytes();
        const __m512i table[4] = {_mm512_load_si512(weights.bytes.data()), _mm512_load_si512(weights.bytes.data() + 64),
                                  _mm512_load_si512(weights.bytes.data() + 128),
                                  _mm512_load_si512(weights.bytes.data() + 192)};
        const SpreadIndices& spread = spreadIndices();
        const __m512i spreadRows[4] = {_mm512_load_si512(spread.rows[0]), _mm512_load_si512(spread.rows[1]),
                                       _mm512_load_si512(spread.rows[2]), _mm512_load_si512(spread.rows[3])};
        const __m512i spreadColumns[2] = {_mm512_load_si512(spread.columns[0]), _mm512_load_si512(spread.columns[1])};
        const __m512i spreadRowPairs[2] = {_mm512_load_si512(spread.rowPairs[0]), _mm512_load_si512(spread.rowPairs[1])};
        const std::int32_t lastX = (width - 1) * 256;
        const std::int32_t lastY = (height - 1) * 256;
        // Unsigned, so that negative positions compare as outside too.
        const __m512i limits = _mm512_setr_epi32(lastX, lastY, lastX, lastY, lastX, lastY, lastX, lastY, lastX, lastY,
                                                 lastX, lastY, lastX, lastY, lastX, lastY);
        const Fixed rowY = toFixed(r.y);
        const __m512i eight = _mm512_setr_epi32(toFixed(8), 0, toFixed(8), 0, toFixed(8), 0, toFixed(8), 0, toFixed(8),
                                                0, toFixed(8), 0, toFixed(8), 0, toFixed(8), 0);
        const __m512i sixteen = _mm512_add_epi32(eight, eight);
        const __m512i xs = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        const __m512i ys = _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
        const __m512i rowLength = _mm512_set1_epi32(width);
        const __m512i fractionMask = _mm512_set1_epi32(255);
        const int x0 = r.left + s;
        __m512i position = _mm512_setr_epi32(toFixed(x0), rowY, toFixed(x0 + 1), rowY, toFixed(x0 + 2), rowY,
                                             toFixed(x0 + 3), rowY, toFixed(x0 + 4), rowY, toFixed(x0 + 5), rowY,
                                             toFixed(x0 + 6), rowY, toFixed(x0 + 7), rowY);
        for (; s + 15 <= last; s += 16, position = _mm512_add_epi32(position, sixteen)) {
            const __m512i p0 = to256(_mm512_add_epi32(position, _mm512_loadu_si512(vectors + s)));
            const __m512i p1 =
                to256(_mm512_add_epi32(_mm512_add_epi32(position, eight), _mm512_loadu_si512(vectors + s + 8)));
            if ((_mm512_cmplt_epu32_mask(p0, limits) & _mm512_cmplt_epu32_mask(p1, limits)) != 0xFFFF) {
                renderPixels(r, s, s + 15, vectors, row);
                continue;
            }
            const __m512i x = _mm512_permutex2var_epi32(p0, xs, p1);
            const __m512i y = _mm512_permutex2var_epi32(p0, ys, p1);
            // Row fractions in bytes 0..15, column fractions in 16..31.
            const __m512i fractions = _mm512_castsi256_si512(
                _mm256_inserti128_si256(_mm256_castsi128_si256(lowBytes(_mm512_and_si512(x, fractionMask))),
                                        lowBytes(_mm512_and_si512(y, fractionMask)), 1));
            const __m512i w = lookUpWeights(fractions, table);
            const __m512i column = shiftRightArithmetic(x, 8);
            const __m512i sourceRow = shiftRightArithmetic(y, 8);
            // The first and the last pixel's row and column place the
            // windows; a pixel outside them sends the step the general way.
            const int firstRow = _mm_cvtsi128_si32(_mm512_maskz_extracti32x4_epi32(0xF, sourceRow, 0));
            const int lastRow = _mm_extract_epi32(_mm512_maskz_extracti32x4_epi32(0xF, sourceRow, 3), 3);
            const int top = std::min(firstRow, lastRow);
            const int windowLeft = _mm_cvtsi128_si32(_mm512_maskz_extracti32x4_epi32(0xF, column, 0)) - 8;
            const __m512i inWindow = _mm512_sub_epi32(column, _mm512_set1_epi32(windowLeft));
            if (windowLeft >= 0 && windowLeft + 32 <= width && top + 2 < height &&
                _mm512_cmple_epu32_mask(_mm512_sub_epi32(sourceRow, _mm512_set1_epi32(top)), _mm512_set1_epi32(1)) ==
                    0xFFFF &&
                _mm512_cmple_epu32_mask(inWindow, _mm512_set1_epi32(30)) == 0xFFFF) {
                const Windows windows{bits + static_cast<std::ptrdiff_t>(top) * width + windowLeft, width,
                                      _mm512_cmpneq_epi32_mask(sourceRow, _mm512_set1_epi32(top)), inWindow};
                const __m512i along[2] = {spreadWeights(spreadRowPairs[0], w), spreadWeights(spreadRowPairs[1], w)};
                const __m512i down[2] = {spreadWeights(spreadColumns[0], w), spreadWeights(spreadColumns[1], w)};
                _mm512_storeu_si512(row + r.left + s, mixFromWindows(windows, along, down));
                continue;
            }
            alignas(64) std::uint32_t offset[16];
            _mm512_store_si512(offset, _mm512_add_epi32(_mm512_mullo_epi32(sourceRow, rowLength), column));
            // Read back one lane at a time from memory: one load each, where
            // extracting lanes from the register costs several instructions.
            asm("" : "+m"(offset));
            // Lane L of rows k holds pixel k + 4 L.
            const __m512i rowsA = mixRows(bits, below, offset, spreadWeights(spreadRows[0], w), 0);
            const __m512i rowsB = mixRows(bits, below, offset, spreadWeights(spreadRows[1], w), 1);
            const __m512i rowsC = mixRows(bits, below, offset, spreadWeights(spreadRows[2], w), 2);
            const __m512i rowsD = mixRows(bits, below, offset, spreadWeights(spreadRows[3], w), 3);
            // Lane L: pixels 4 L and 4 L + 1, then 4 L + 2 and 4 L + 3.
            const __m512i ab =
                mixChannels(lowQuads(rowsA, rowsB), highQuads(rowsA, rowsB), spreadWeights(spreadColumns[0], w));
            const __m512i cd =
                mixChannels(lowQuads(rowsC, rowsD), highQuads(rowsC, rowsD), spreadWeights(spreadColumns[1], w));
            _mm512_storeu_si512(row + r.left + s, _mm512_packus_epi16(ab, cd));
        }
    }
    if (s <= last) renderPixels(r, s, last, vectors, row);
}

}  // namespace mugwarp::warp_detail

#else

namespace mugwarp::warp_detail {

// Never chosen without these extensions; present so that the dispatch links
// everywhere.
void composeCellsAvx512(const ComposeRow& r, int first, int last, FixedVector* out) { composeCells(r, first, last, out); }
void renderPixelsAvx512(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row) {
    renderPixels(r, first, last, vectors, row);
}

}  // namespace mugwarp::warp_detail

#endif
