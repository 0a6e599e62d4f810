#pragma once
#include <array>
#include <cstdint>

namespace mugwarp {

// 256 entries, entry i = round(255 * (i / 255)^0.7). The bilinear resampler
// takes its interpolation weights from it. Built once, on first use.
const std::array<std::uint8_t, 256>& gammaTable();

}  // namespace mugwarp
