#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace mugwarp::test {

Picture patternPicture(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t r = (x * 37 + y * 11) & 0xFF, g = (x * 5 + y * 29 + 60) & 0xFF, b = (x * y + 7) & 0xFF;
            p.at(x, y) = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    return p;
}

bool runFilter(PSFilterHost& host, PIPLManager& entry, Picture& picture, bool repeat, Mask* mask) {
    host.setPicture(picture.view());
    MaskView maskView;
    if (mask) maskView = mask->view();
    host.setMask(mask ? &maskView : nullptr);
    host.openModule(entry);
    host.options.repeat = repeat;
    struct Closer {
        PSFilterHost& h;
        ~Closer() { h.closeModule(); }
    } closer{host};
    return host.execute();
}

PIPLManager& entryNamed(PSPluginList& list, const std::string& name) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i).getName() == name) return list.item(i);
    }
    ADD_FAILURE() << "no filter named " << name;
    throw std::runtime_error("missing filter");
}

std::string testModule(const std::string& file) { return std::string(MUGWARP_TEST_MODULES) + "/" + file; }
std::string sampleFilter(const std::string& file) { return std::string(MUGWARP_SAMPLE_FILTERS) + "/" + file; }

std::vector<std::uint8_t> imageMagick(const Picture& picture, const std::string& arguments) {
    if (!std::filesystem::exists("/usr/bin/convert")) return {};
    TempDir dir;
    {
        std::ofstream out(dir.path("in.ppm"), std::ios::binary);
        out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                for (int c = 0; c < 3; ++c) out.put(char(picture.channel(x, y, c)));
            }
        }
    }
    const std::string command = "/usr/bin/convert " + dir.path("in.ppm") + " " + arguments + " -depth 8 ppm:" +
                                dir.path("out.ppm");
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream in(dir.path("out.ppm"), std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
    return in ? rgb : std::vector<std::uint8_t>{};
}

}  // namespace mugwarp::test
