#include "pshost/rgb_rows.h"

#include <array>
#include <atomic>
#include <cstddef>

#include "raster/cpu_features.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MUGWARP_RGB_ROWS_X86 1
#include <immintrin.h>
#endif

namespace mugwarp {

namespace {

// One by one: the rows' ends, and processors without the vector units.
void packScalar(const std::uint32_t* pixels, std::uint8_t* out, int count, AlphaSeen& seen) {
    for (int x = 0; x < count; ++x, out += 3) {
        const std::uint32_t c = pixels[x];
        seen.all &= c;
        seen.any |= c;
        out[0] = std::uint8_t(c >> 16);
        out[1] = std::uint8_t(c >> 8);
        out[2] = std::uint8_t(c);
    }
}

std::uint32_t rgbAt(const std::uint8_t* in) {
    return std::uint32_t(in[0]) << 16 | std::uint32_t(in[1]) << 8 | in[2];
}

void unpackScalar(const std::uint8_t* in, std::uint32_t* pixels, int count) {
    for (int x = 0; x < count; ++x, in += 3) pixels[x] = (pixels[x] & 0xFF000000u) | rgbAt(in);
}

void storeScalar(const std::uint8_t* in, std::uint32_t* pixels, int count, std::uint32_t alpha) {
    for (int x = 0; x < count; ++x, in += 3) pixels[x] = alpha | rgbAt(in);
}

#ifdef MUGWARP_RGB_ROWS_X86

// The pixels to skip one by one until p + 3 x (bytes) or p + 4 x (pixels)
// is a multiple of 32 (3 x 11 = 33 = 1 modulo 32).
int headToAlignBytes(const void* p) { return int(((32 - (std::uintptr_t(p) & 31)) & 31) * 11 % 32); }
int headToAlignPixels(const void* p) { return int(((32 - (std::uintptr_t(p) & 31)) & 31) / 4); }

// Sixteen pixels a step: four little-endian 0xAARRGGBB pixels (bytes B G R
// A) to R G B in the low 12 bytes of each register, joined into 48 bytes.
// (The masks are made inside the functions: a 32-bit build may not enable
// SSE for the rest of the file.)
__attribute__((target("ssse3"))) int packSsse3(const std::uint32_t* pixels, std::uint8_t* out, int count,
                                               AlphaSeen& seen) {
    const __m128i kToRgb = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -128, -128, -128, -128);
    __m128i all = _mm_set1_epi32(-1), any = _mm_setzero_si128();
    int x = 0;
    for (; x + 16 <= count; x += 16, out += 48) {
        const auto* p = reinterpret_cast<const __m128i*>(pixels + x);
        __m128i v[4];
        for (int i = 0; i < 4; ++i) {
            const __m128i in = _mm_loadu_si128(p + i);
            all = _mm_and_si128(all, in);
            any = _mm_or_si128(any, in);
            v[i] = _mm_shuffle_epi8(in, kToRgb);
        }
        auto* o = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(o, _mm_or_si128(v[0], _mm_slli_si128(v[1], 12)));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(v[1], 4), _mm_slli_si128(v[2], 8)));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(v[2], 8), _mm_slli_si128(v[3], 4)));
    }
    alignas(16) std::uint32_t a[4], o[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(a), all);
    _mm_store_si128(reinterpret_cast<__m128i*>(o), any);
    for (int i = 0; i < 4; ++i) seen.all &= a[i], seen.any |= o[i];
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

// AVX2: the shuffle packs each 128-bit half's four pixels into its low 12
// bytes (dwords 0-2 and 4-6 hold the 24 bytes of eight pixels).
struct Avx2Pack {
    __m256i toRgb, all, any;

    __attribute__((target("avx2"))) Avx2Pack()
        : toRgb(_mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -128, -128, -128, -128, 2, 1, 0, 6, 5, 4, 10,
                                 9, 8, 14, 13, 12, -128, -128, -128, -128)),
          all(_mm256_set1_epi32(-1)),
          any(_mm256_setzero_si256()) {}

    __attribute__((target("avx2"))) __m256i eight(const std::uint32_t* pixels) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
        all = _mm256_and_si256(all, v);
        any = _mm256_or_si256(any, v);
        return _mm256_shuffle_epi8(v, toRgb);
    }

    __attribute__((target("avx2"))) void fold(AlphaSeen& seen) const {
        alignas(32) std::uint32_t a[8], o[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(a), all);
        _mm256_store_si256(reinterpret_cast<__m256i*>(o), any);
        for (int i = 0; i < 8; ++i) seen.all &= a[i], seen.any |= o[i];
    }
};

__attribute__((target("avx2"))) int packAvx2(const std::uint32_t* pixels, std::uint8_t* out, int count,
                                             AlphaSeen& seen, bool stream) {
    Avx2Pack pack;
    int x = 0;
    if (stream) {
        // 32 pixels make three aligned 32-byte stores, the dwords taken from
        // the four shuffled registers in turn.
        const int head = headToAlignBytes(out);
        if (head + 32 <= count) {
            packScalar(pixels, out, head, seen);
            x = head;
            out += std::size_t(head) * 3;
            const __m256i i00 = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0), i01 = _mm256_setr_epi32(0, 0, 0, 0, 0, 0, 0, 1);
            const __m256i i10 = _mm256_setr_epi32(2, 4, 5, 6, 0, 0, 0, 0), i11 = _mm256_setr_epi32(0, 0, 0, 0, 0, 1, 2, 4);
            const __m256i i20 = _mm256_setr_epi32(5, 6, 0, 0, 0, 0, 0, 0), i21 = _mm256_setr_epi32(0, 0, 0, 1, 2, 4, 5, 6);
            for (; x + 32 <= count; x += 32, out += 96) {
                const __m256i s0 = pack.eight(pixels + x), s1 = pack.eight(pixels + x + 8);
                const __m256i s2 = pack.eight(pixels + x + 16), s3 = pack.eight(pixels + x + 24);
                auto* o = reinterpret_cast<__m256i*>(out);
                _mm256_stream_si256(o, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(s0, i00),
                                                          _mm256_permutevar8x32_epi32(s1, i01), 0xC0));
                _mm256_stream_si256(o + 1, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(s1, i10),
                                                              _mm256_permutevar8x32_epi32(s2, i11), 0xF0));
                _mm256_stream_si256(o + 2, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(s2, i20),
                                                              _mm256_permutevar8x32_epi32(s3, i21), 0xFC));
            }
        }
    }
    // Eight pixels a step, stored as 32 bytes of which the last 8 belong to
    // the next pixels: 3 of them must follow.
    const __m256i kJoin = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    for (; x + 11 <= count; x += 8, out += 24) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permutevar8x32_epi32(pack.eight(pixels + x), kJoin));
    }
    pack.fold(seen);
    return x;
}

// Eight pixels a step from 24 bytes, read as 32: 3 more pixels must follow.
struct Avx2Unpack {
    __m256i spread, fromRgb;

    __attribute__((target("avx2"))) Avx2Unpack()
        : spread(_mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0)),
          fromRgb(_mm256_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128, 2, 1, 0, -128, 5, 4,
                                   3, -128, 8, 7, 6, -128, 11, 10, 9, -128)) {}

    __attribute__((target("avx2"))) __m256i eight(const std::uint8_t* in) const {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
        return _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, spread), fromRgb);
    }
};

__attribute__((target("avx2"))) int unpackAvx2(const std::uint8_t* in, std::uint32_t* pixels, int count) {
    const Avx2Unpack unpack;
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u));
    int x = 0;
    for (; x + 11 <= count; x += 8, in += 24) {
        auto* p = reinterpret_cast<__m256i*>(pixels + x);
        _mm256_storeu_si256(p, _mm256_or_si256(_mm256_and_si256(_mm256_loadu_si256(p), alpha), unpack.eight(in)));
    }
    return x;
}

__attribute__((target("avx2"))) int storeAvx2(const std::uint8_t* in, std::uint32_t* pixels, int count,
                                              std::uint32_t alpha, bool stream) {
    const Avx2Unpack unpack;
    const __m256i a = _mm256_set1_epi32(int(alpha));
    int x = 0;
    if (stream) {
        const int head = headToAlignPixels(pixels);
        if (head + 11 <= count) {
            storeScalar(in, pixels, head, alpha);
            x = head;
            in += std::size_t(head) * 3;
            for (; x + 11 <= count; x += 8, in += 24)
                _mm256_stream_si256(reinterpret_cast<__m256i*>(pixels + x), _mm256_or_si256(a, unpack.eight(in)));
            return x;
        }
    }
    for (; x + 11 <= count; x += 8, in += 24)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + x), _mm256_or_si256(a, unpack.eight(in)));
    return x;
}

// AVX-512 with byte permutes: sixteen pixels from 48 bytes in one permute,
// written as one whole cache line. The loads and the row's last pixels are
// masked, so nothing past the row is read or written.
constexpr std::array<std::uint8_t, 64> rgbToPixelBytes() {
    std::array<std::uint8_t, 64> t{};
    for (int j = 0; j < 64; ++j) t[std::size_t(j)] = j % 4 == 3 ? 0 : std::uint8_t(3 * (j / 4) + 2 - j % 4);
    return t;
}
alignas(64) constexpr std::array<std::uint8_t, 64> kRgbToPixelBytes = rgbToPixelBytes();
constexpr unsigned long long kColourBytes = 0x7777777777777777ull;

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) __m512i rgbSixteen(const std::uint8_t* in, int pixels) {
    const __mmask64 bytes = pixels >= 16 ? 0xFFFFFFFFFFFFull : (1ull << (3 * pixels)) - 1;
    return _mm512_maskz_loadu_epi8(bytes, in);
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) __mmask64 pixelBytes(int pixels) {
    return pixels >= 16 ? ~0ull : (1ull << (4 * pixels)) - 1;
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int unpackAvx512(const std::uint8_t* in,
                                                                          std::uint32_t* pixels, int count) {
    const __m512i order = _mm512_load_si512(kRgbToPixelBytes.data());
    for (int x = 0; x < count; x += 16, in += 48) {
        const int n = count - x;
        const __mmask64 where = pixelBytes(n);
        const __m512i kept = _mm512_maskz_loadu_epi8(where, pixels + x);
        _mm512_mask_storeu_epi8(pixels + x, where, _mm512_mask_permutexvar_epi8(kept, kColourBytes, order, rgbSixteen(in, n)));
    }
    return count;
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int storeAvx512(const std::uint8_t* in, std::uint32_t* pixels,
                                                                         int count, std::uint32_t alpha, bool stream) {
    const __m512i order = _mm512_load_si512(kRgbToPixelBytes.data());
    const __m512i a = _mm512_set1_epi32(int(alpha));
    int x = 0;
    if (stream) {
        const int head = int(((64 - (std::uintptr_t(pixels) & 63)) & 63) / 4);
        if (head + 16 <= count) {
            storeScalar(in, pixels, head, alpha);
            x = head;
            in += std::size_t(head) * 3;
            for (; x + 16 <= count; x += 16, in += 48) {
                const __m512i colours = _mm512_maskz_permutexvar_epi8(kColourBytes, order, rgbSixteen(in, 16));
                _mm512_stream_si512(reinterpret_cast<__m512i*>(pixels + x), _mm512_or_si512(a, colours));
            }
        }
    }
    for (; x < count; x += 16, in += 48) {
        const int n = count - x;
        const __m512i colours = _mm512_maskz_permutexvar_epi8(kColourBytes, order, rgbSixteen(in, n));
        _mm512_mask_storeu_epi8(pixels + x, pixelBytes(n), _mm512_or_si512(a, colours));
    }
    return count;
}

#endif

std::atomic<RgbRowKernels>& chosen() {
    static std::atomic<RgbRowKernels> kernels{widestRgbRowKernels()};
    return kernels;
}

bool runs(RgbRowKernels k) {
#ifdef MUGWARP_RGB_ROWS_X86
    switch (k) {
    case RgbRowKernels::Avx512: return cpuHasAvx512Vbmi();
    case RgbRowKernels::Avx2: return cpuHasAvx2();
    case RgbRowKernels::Ssse3: return cpuHasSsse3();
    case RgbRowKernels::Portable: return true;
    }
#endif
    return k == RgbRowKernels::Portable;
}

}  // namespace

RgbRowKernels widestRgbRowKernels() {
    for (const RgbRowKernels k : {RgbRowKernels::Avx512, RgbRowKernels::Avx2, RgbRowKernels::Ssse3})
        if (runs(k)) return k;
    return RgbRowKernels::Portable;
}

void setRgbRowKernels(RgbRowKernels kernels) {
    chosen().store(runs(kernels) ? kernels : widestRgbRowKernels(), std::memory_order_relaxed);
}

// Packing stays with AVX2 where AVX-512 is there too: the wider registers
// gave nothing there, the reads being the whole cost.
void packRgbRow(const std::uint32_t* pixels, std::uint8_t* out, int count, AlphaSeen& seen, bool stream) {
    int x = 0;
#ifdef MUGWARP_RGB_ROWS_X86
    switch (chosen().load(std::memory_order_relaxed)) {
    case RgbRowKernels::Avx512:
    case RgbRowKernels::Avx2: x = packAvx2(pixels, out, count, seen, stream); break;
    case RgbRowKernels::Ssse3: x = packSsse3(pixels, out, count, seen); break;
    case RgbRowKernels::Portable: break;
    }
#else
    (void)stream;
#endif
    packScalar(pixels + x, out + std::size_t(x) * 3, count - x, seen);
}

void unpackRgbRow(const std::uint8_t* in, std::uint32_t* pixels, int count) {
    int x = 0;
#ifdef MUGWARP_RGB_ROWS_X86
    switch (chosen().load(std::memory_order_relaxed)) {
    case RgbRowKernels::Avx512: x = unpackAvx512(in, pixels, count); break;
    case RgbRowKernels::Avx2: x = unpackAvx2(in, pixels, count); break;
    case RgbRowKernels::Ssse3: x = unpackSsse3(in, pixels, count); break;
    case RgbRowKernels::Portable: break;
    }
#endif
    unpackScalar(in + std::size_t(x) * 3, pixels + x, count - x);
}

void storeRgbRow(const std::uint8_t* in, std::uint32_t* pixels, int count, std::uint32_t alpha, bool stream) {
    alpha &= 0xFF000000u;
    int x = 0;
#ifdef MUGWARP_RGB_ROWS_X86
    switch (chosen().load(std::memory_order_relaxed)) {
    case RgbRowKernels::Avx512: x = storeAvx512(in, pixels, count, alpha, stream); break;
    case RgbRowKernels::Avx2: x = storeAvx2(in, pixels, count, alpha, stream); break;
    case RgbRowKernels::Ssse3:
    case RgbRowKernels::Portable: break;
    }
#else
    (void)stream;
#endif
    storeScalar(in + std::size_t(x) * 3, pixels + x, count - x, alpha);
}

#ifdef MUGWARP_RGB_ROWS_X86
__attribute__((target("sse"))) void endStreaming() { _mm_sfence(); }
#else
void endStreaming() {}
#endif

}  // namespace mugwarp
