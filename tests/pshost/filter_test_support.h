#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pshost/plugin_list.h"
#include "pshost/ps_filter_host.h"

namespace mugwarp::test {

// A picture owned by the test, with views for the host.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    Picture(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h) {}
    PixelsView view() { return {pixels.data(), width, height, width}; }
    std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    int channel(int x, int y, int c) const { return (at(x, y) >> (16 - 8 * c)) & 0xFF; }
};

// Opaque pixels of varied colours, the same for every call with the same size.
Picture patternPicture(int width, int height);

struct Mask {
    int width = 0, height = 0;
    std::vector<std::uint8_t> values;
    Mask(int w, int h, std::uint8_t v) : width(w), height(h), values(std::size_t(w) * h, v) {}
    MaskView view() { return {values.data(), width, height, width}; }
};

// Runs a filter over picture the way the window does: the module opened, run
// and closed. Returns execute()'s result.
bool runFilter(PSFilterHost& host, PIPLManager& entry, Picture& picture, bool repeat = false, Mask* mask = nullptr);

// The one entry named so in the list (fails the test when missing).
PIPLManager& entryNamed(PSPluginList& list, const std::string& name);

std::string testModule(const std::string& file);   // path of a test module
std::string sampleFilter(const std::string& file);  // path of a sample filter

// ImageMagick as an independent oracle: writes picture as PPM, runs
// convert with the arguments and reads the result. Empty without ImageMagick.
std::vector<std::uint8_t> imageMagick(const Picture& picture, const std::string& arguments);

}  // namespace mugwarp::test
