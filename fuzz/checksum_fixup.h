#pragma once
// Files that end in a CRC-32 of every byte before it would turn away almost
// every mutation at the checksum: the targets write the right one first, so
// the fuzzer's time goes into what the reader does after it.
#include <cstdint>
#include <span>
#include <vector>

#include "formats/crc32.h"

inline std::vector<std::uint8_t> withChecksum(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    if (file.size() < 4) return file;
    const std::uint32_t crc = mugwarp::crc32(std::span(file).first(file.size() - 4));
    for (int i = 0; i < 4; ++i) file[file.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    return file;
}
