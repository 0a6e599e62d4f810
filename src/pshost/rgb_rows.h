#pragma once
#include <cstdint>

namespace mugwarp {

// Rows of pixels between 0xAARRGGBB words and interleaved red, green, blue
// bytes, the filters' usual layout: many pixels at a time where the
// processor has SSSE3, AVX2 or AVX-512, one by one elsewhere.
//
// Streaming stores go around the cache to memory: for blocks too large to
// stay in it, where they save reading the lines before writing them. They
// must be followed by endStreaming() before anyone else reads the bytes.

// The vector units the conversions use: the widest this processor has,
// unless a test asks for narrower ones to compare them (a request the
// processor cannot run gives the widest it can).
enum class RgbRowKernels { Portable, Ssse3, Avx2, Avx512 };
RgbRowKernels widestRgbRowKernels();
void setRgbRowKernels(RgbRowKernels kernels);

// What a pack saw of the pixels' alpha bytes: whether they were all alike.
struct AlphaSeen {
    std::uint32_t all = 0xFFFFFFFFu;  // the pixels ANDed
    std::uint32_t any = 0;            // the pixels ORed
    bool uniform() const { return ((all ^ any) & 0xFF000000u) == 0; }
    std::uint32_t alpha() const { return any & 0xFF000000u; }
};

// out := R G B of each pixel.
void packRgbRow(const std::uint32_t* pixels, std::uint8_t* out, int count, AlphaSeen& seen, bool stream);

// pixels := their own alpha, R G B from in.
void unpackRgbRow(const std::uint8_t* in, std::uint32_t* pixels, int count);

// pixels := alpha (bits 24 to 31), R G B from in; the pixels are not read.
void storeRgbRow(const std::uint8_t* in, std::uint32_t* pixels, int count, std::uint32_t alpha, bool stream);

void endStreaming();

}  // namespace mugwarp
