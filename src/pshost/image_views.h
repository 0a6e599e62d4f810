#pragma once
#include <cstddef>
#include <cstdint>

namespace mugwarp {

// Plain views of memory the caller owns (it may be shared memory): a 32-bit
// picture, pixels 0xAARRGGBB row by row from the top, and an 8-bit mask.
// stride counts elements from one row start to the next.
struct PixelsView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    std::uint32_t* row(int y) const { return pixels + y * stride; }
    bool isEmpty() const { return width <= 0 || height <= 0 || !pixels; }
};

struct MaskView {
    std::uint8_t* values = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    std::uint8_t* row(int y) const { return values + y * stride; }
    bool isEmpty() const { return width <= 0 || height <= 0 || !values; }
};

}  // namespace mugwarp
