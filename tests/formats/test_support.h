#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"
#include "support/temp_dir.h"

namespace mugwarp::test {

std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Runs a shell command; returns its exit status (-1 when it could not run).
int run(const std::string& command);
// Runs a command and returns its standard output.
std::string capture(const std::string& command);
bool toolAvailable(const std::string& path);

// A binary PPM/PGM (P6/P5, maxval 255) as 0xAARRGGBB pixels with alpha 255.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};
RgbImage readPnm(const std::string& path);
bool sameRgb(const RgbImage& a, const RgbImage& b);
// ImageMagick's reading of any picture file as 8-bit RGB; empty when it refuses.
RgbImage imageMagickDecode(const std::string& file, const TempDir& tmp);
// giflib's decode of frame 0 as raw colours (it ignores transparency); empty
// when giflib refuses the file or gives another size.
RgbImage giflibDecode(const std::string& gif, int width, int height, const TempDir& tmp);
// The picture as a PPM file (for peers that read it).
void writePpm(const std::string& path, const PixelSurface& picture);
// A 32-bit bitmap's colours (alpha dropped).
RgbImage rgbOf(const PlatformBitmap& bitmap);
RgbImage rgbOf(const PixelSurface& surface);

// Deterministic test pictures.
PixelSurface gradientPicture(int width, int height);
PixelSurface paletteSizedPicture(int width, int height, int colours, std::uint32_t seed);
PixelSurface samplePhoto();  // data/sample/portrait.jpg, decoded

std::string sourcePath(const std::string& relative);

}  // namespace mugwarp::test
