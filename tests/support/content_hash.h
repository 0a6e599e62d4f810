#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace mugwarp::test {

// A 64-bit FNV-1a digest, for pinning the exact bytes or pixels an output had
// when it was known to be right, where keeping the output itself would be bulky.
inline std::uint64_t contentHash(std::span<const std::uint8_t> bytes, std::uint64_t hash = 0xCBF29CE484222325ull) {
    for (const std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

}  // namespace mugwarp::test
