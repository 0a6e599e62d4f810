#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

namespace mugwarp {

// Signed 16.16 fixed-point number.
using Fixed = std::int32_t;

constexpr Fixed kFixedOne = 65536;
constexpr Fixed kFixedHalf = 32768;

// Rounds to nearest, halves to even. Values beyond the 32-bit range saturate
// and NaN gives 0, so a wild value can never turn into undefined behaviour.
inline Fixed toFixed(double x) {
    const double scaled = std::nearbyint(x * 65536.0);
    if (std::isnan(scaled)) return 0;
    if (scaled >= 2147483647.0) return std::numeric_limits<Fixed>::max();
    if (scaled <= -2147483648.0) return std::numeric_limits<Fixed>::min();
    return static_cast<Fixed>(scaled);
}
// A float converts to double exactly, so both give the same value.
inline Fixed toFixed(float x) { return toFixed(static_cast<double>(x)); }
// n shifted left by 16; integers beyond +-32767 wrap as the shift does.
constexpr Fixed toFixed(int n) { return static_cast<Fixed>(static_cast<std::uint32_t>(n) << 16); }

// Additions and subtractions of fixed values wrap in 32 bits like the
// hardware does, instead of being undefined on overflow.
constexpr Fixed fixedAdd(Fixed a, Fixed b) {
    return static_cast<Fixed>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr Fixed fixedSub(Fixed a, Fixed b) {
    return static_cast<Fixed>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// The 64-bit product shifted right arithmetically by 16, low 32 bits kept.
constexpr Fixed fixedMul(Fixed a, Fixed b) {
    return static_cast<Fixed>(static_cast<std::uint32_t>(
        static_cast<std::uint64_t>((static_cast<std::int64_t>(a) * b) >> 16)));
}
// (a + 0x7FFF) >> 16, computed wide so that values near the top do not overflow.
constexpr int fixedRound(Fixed a) { return static_cast<int>((static_cast<std::int64_t>(a) + 0x7FFF) >> 16); }
constexpr float fixedToFloat(Fixed a) { return static_cast<float>(a) / 65536.0f; }
// Linear step: w = 0 gives b, w near 65536 gives a. The difference is taken
// in 64 bits: for w in 0..65535 the result lies between b and a, so it cannot
// overflow, and for differences that fit 32 bits it equals
// b + fixedMul(w, a - b).
constexpr Fixed fixedCombine(Fixed a, Fixed b, int w) {
    const std::int64_t diff = static_cast<std::int64_t>(a) - b;
    return static_cast<Fixed>(b + ((static_cast<std::int64_t>(w) * diff) >> 16));
}

}  // namespace mugwarp
