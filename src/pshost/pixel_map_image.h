#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "pshost/filter_abi.h"

namespace mugwarp {

// Whether length bytes from begin can be read. Every address a filter's pixel
// map leads to is checked with it before it is read, so hostile geometry
// draws nothing instead of faulting.
using MemoryProbe = std::function<bool(const std::uint8_t* begin, std::size_t length)>;

// What a filter asked to show, ready for a device context: opaque 0xFFRRGGBB
// pixels, width x height, row by row, to go with their top-left corner at
// (left, top) of the filter's context.
struct PixelMapImage {
    int width = 0;
    int height = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::vector<std::uint32_t> pixels;
};

// Where a masked pixel map shows through: a checkerboard of kCheckerSize
// squares, light and dark, shifted by the map's mask phase.
constexpr int kCheckerSize = 8;
constexpr std::uint8_t kCheckerLight = 255;
constexpr std::uint8_t kCheckerDark = 204;

// Reads the part of `rect` that lies inside the map's bounds, honouring its
// row, column and plane steps (interleaved or planar), 8-bit RGB or grey;
// from version 1 on, its masks (and matte) are drawn over the checkerboard.
// Nothing for other modes or depths, an empty or oversized (> maxPixels)
// rectangle, steps whose addresses overflow, or memory the probe refuses.
// The map and the rectangle themselves are filter memory, checked the same way.
std::optional<PixelMapImage> readPixelMap(const abi::PSPixelMap* map, const abi::VRect* rect, std::int32_t dstRow,
                                          std::int32_t dstCol, std::size_t maxPixels, const MemoryProbe& readable);

// This process's own memory, as the operating system maps it.
bool readableMemory(const std::uint8_t* begin, std::size_t length);

// Draws the image into a device context (a Windows HDC). Elsewhere there are
// no device contexts, and nothing is drawn.
void drawOnDeviceContext(const PixelMapImage& image, void* context);

}  // namespace mugwarp
