#pragma once
#include <cstdint>
#include <string>

namespace mugwarp {

// A four-character code held as a number whose most significant byte is the
// first character, so 'catg' is 0x63617467 (stored little-endian it reads "gtac").
using FourCharCode = std::uint32_t;

constexpr FourCharCode fourCharCode(const char (&text)[5]) {
    return (FourCharCode(std::uint8_t(text[0])) << 24) | (FourCharCode(std::uint8_t(text[1])) << 16) |
           (FourCharCode(std::uint8_t(text[2])) << 8) | FourCharCode(std::uint8_t(text[3]));
}

inline std::string fourCharText(FourCharCode code) {
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

}  // namespace mugwarp
