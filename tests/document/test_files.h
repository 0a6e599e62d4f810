#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "raster/color.h"
#include "support/temp_dir.h"

namespace mugwarp::testing {

// Writes a 24-bit BMP of the given colours (0x00RRGGBB, row by row from the top).
void writeBmp24(const std::string& path, int width, int height, const std::vector<Argb>& pixels);

// Writes a GIF89a with one frame: a palette of up to 4 colours (0x00RRGGBB),
// one palette index per pixel, and an optional transparent index.
void writeGif(const std::string& path, int width, int height, const std::vector<Argb>& palette,
              const std::vector<std::uint8_t>& indices, std::optional<int> transparentIndex);

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace mugwarp::testing
