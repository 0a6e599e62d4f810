#pragma once
#include <cmath>
#include <cstdint>

namespace mugwarp {

// Signed 16.16 fixed-point number.
using Fixed = std::int32_t;

constexpr Fixed kFixedOne = 65536;
constexpr Fixed kFixedHalf = 32768;

// Rounds to nearest, halves to even.
inline Fixed toFixed(float x) { return static_cast<Fixed>(std::nearbyint(static_cast<double>(x) * 65536.0)); }
constexpr Fixed toFixed(int n) { return static_cast<Fixed>(static_cast<std::uint32_t>(n) << 16); }
constexpr Fixed fixedMul(Fixed a, Fixed b) {
    return static_cast<Fixed>(static_cast<std::uint32_t>((static_cast<std::int64_t>(a) * b) >> 16));
}
constexpr int fixedRound(Fixed a) { return (a + 0x7FFF) >> 16; }
constexpr float fixedToFloat(Fixed a) { return static_cast<float>(a) / 65536.0f; }
// Linear step: w = 0 gives b, w near 65536 gives a.
constexpr Fixed fixedCombine(Fixed a, Fixed b, int w) { return b + fixedMul(w, a - b); }

}  // namespace mugwarp
