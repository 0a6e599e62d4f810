#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "raster/displacement_map.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// The bodies of a project file's pictures and maps, lossless and packed with
// zstd in bands of rows that are coded side by side on every core.
//
// A body that is malformed in any way throws MalformedPart; the container
// turns that into a message naming the part. Nothing is allocated for a size
// before the size has been checked against the limits and the bytes present.
struct MalformedPart {};

// Little-endian fields of a body, read in order; reading past its end or a
// value out of place is MalformedPart.
class PartFields {
public:
    explicit PartFields(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::span<const std::uint8_t> take(std::size_t n);
    std::uint32_t u32();
    std::uint64_t u64();
    float f32();  // finite values only
    // A u32 byte count, at most maxBytes, then the bytes.
    std::string string(std::size_t maxBytes);
    std::span<const std::uint8_t> rest() { return take(remaining()); }
    std::size_t remaining() const { return bytes_.size() - at_; }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// image = width u32, height u32, outerColor u32, band count u32, then per
//         band its packed byte count u64, then the bands' zstd frames.
// A band of up to 256 rows holds, when the picture is coded against a base
// picture, one byte per pixel (1 where the pixel differs from the base), then
// four planes of the coded pixels' residuals: with red and blue first taken
// as their differences from green, each of blue, green, red and alpha less
// the median predictor of its left, upper and upper-left neighbours (as
// reconstructed), so a photograph packs smaller than lossless picture
// formats pack it. Against a base, only the pixels that
// differ cost anything.
std::vector<std::uint8_t> encodeImage(const PixelSurface& picture, const PixelSurface* base = nullptr);
// Expected size: a base is given its size; 0 x 0 takes the size stored.
PixelSurface decodeImage(std::span<const std::uint8_t> body, const PixelSurface* base = nullptr);

// map = width u32, height u32, band count u32, per band its packed size u64,
// then the frames: the X and Y components of a band as eight byte planes of
// their differences from the cell to the left.
std::vector<std::uint8_t> encodeDisplacement(const DisplacementMap& map);
DisplacementMap decodeDisplacement(std::span<const std::uint8_t> body, int width, int height);

// mask = width u32, height u32, band count u32, sizes, frames: each byte's
// difference from its left neighbour.
std::vector<std::uint8_t> encodeByteMap(const ByteMap& map);
ByteMap decodeByteMap(std::span<const std::uint8_t> body, int width, int height);

}  // namespace mugwarp
