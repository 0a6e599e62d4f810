#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace mugwarp {

// Little-endian reads from untrusted bytes; the caller has checked the bounds.
inline std::uint16_t readLe16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t readLe32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}
inline std::uint64_t readLe64(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint64_t(readLe32(b, at)) | (std::uint64_t(readLe32(b, at + 4)) << 32);
}
// Their twins for bytes we write.
inline void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
inline void appendLe64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    appendLe32(out, std::uint32_t(v));
    appendLe32(out, std::uint32_t(v >> 32));
}
// Whether [offset, offset + length) lies inside a block of the given size.
inline bool fits(std::uint64_t offset, std::uint64_t length, std::size_t size) {
    return offset <= size && length <= size - offset;
}

}  // namespace mugwarp
