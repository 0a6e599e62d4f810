#pragma once
#include <cstdint>

namespace mugwarp {

// Whole pixels of a row between 0xAARRGGBB words and interleaved red, green,
// blue bytes, the filters' usual layout. Both do 16 pixels at a time where the
// processor has SSSE3 and return how many pixels they did; the caller does
// the rest one by one.

// out := R G B of each pixel.
int packRgbRows(const std::uint32_t* pixels, std::uint8_t* out, int count);

// pixels := alpha kept, R G B from in.
int unpackRgbRows(const std::uint8_t* in, std::uint32_t* pixels, int count);

}  // namespace mugwarp
