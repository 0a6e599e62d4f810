#pragma once
#include <cstdint>

namespace mugwarp {

// Surface colours are 0xAARRGGBB. Platform colours (as stored in documents and
// GIF keys) are 0x00BBGGRR, red in the low byte.
using Argb = std::uint32_t;
using PlatformColor = std::uint32_t;

constexpr std::uint8_t alphaOf(Argb c) { return static_cast<std::uint8_t>(c >> 24); }
constexpr std::uint8_t redOf(Argb c) { return static_cast<std::uint8_t>(c >> 16); }
constexpr std::uint8_t greenOf(Argb c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t blueOf(Argb c) { return static_cast<std::uint8_t>(c); }
constexpr Argb makeArgb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (Argb(a) << 24) | (Argb(r) << 16) | (Argb(g) << 8) | Argb(b);
}

// The platform colour's red, green and blue as an ARGB colour with the given alpha.
constexpr Argb argbFromPlatform(PlatformColor c, std::uint8_t alpha) {
    return makeArgb(alpha, std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16));
}
constexpr PlatformColor platformFromArgb(Argb c) {
    return PlatformColor(redOf(c)) | (PlatformColor(greenOf(c)) << 8) | (PlatformColor(blueOf(c)) << 16);
}

}  // namespace mugwarp
