#pragma once

#include <cstdint>
#include <span>

namespace mugwarp {

// The CRC-32 that zip and PNG use (reflected, polynomial 0xEDB88320): our own
// files end with it so that a torn or damaged copy is told from a good one.
std::uint32_t crc32(std::span<const std::uint8_t> bytes);

}  // namespace mugwarp
