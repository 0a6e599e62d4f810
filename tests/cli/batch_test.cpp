#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "support/command_run.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;
using test::cli;

const std::string kSample = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";
const std::string kPlugins = std::string(" --plugins ") + MUGWARP_BUILT_PLUGINS_DIR + " ";
const std::string kActions = " -- 'filter:Mugwarp Adjust/Invert' twirl:left:200,200:hold=3 rotate:cw";

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool samePixels(const std::string& a, const std::string& b) {
    PixelSurface x, y;
    x.assign(loadPicture(a));
    y.assign(loadPicture(b));
    if (x.width() != y.width() || x.height() != y.height()) return false;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            if (x.pixel(col, row) != y.pixel(col, row)) return false;
    return true;
}

TEST(BatchCommand, OneDamagedPictureOfThreeFailsByNameWhileTwoJobsWriteTheOthers) {
    test::TempDir dir;
    fs::copy_file(kSample, dir.path("first.jpg"));
    fs::copy_file(kSample, dir.path("third.jpg"));
    std::ofstream(dir.path("damaged.jpg")) << "this is no picture at all";
    const std::string inputs[] = {dir.path("first.jpg"), dir.path("damaged.jpg"), dir.path("third.jpg")};
    std::string before[3];
    for (int i = 0; i < 3; ++i) before[i] = bytesOf(inputs[i]);

    const auto r = cli("batch --out " + dir.path("out") + " --format bmp --jobs 2" + kPlugins + inputs[0] + " " +
                       inputs[1] + " " + inputs[2] + kActions);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("batch: " + inputs[1] + ": "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 of 3 pictures written; 1 failed."), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(dir.path("out/first.bmp")));
    EXPECT_TRUE(fs::exists(dir.path("out/third.bmp")));
    EXPECT_FALSE(fs::exists(dir.path("out/damaged.bmp")));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bytesOf(inputs[i]), before[i]) << inputs[i];

    // Each result is what 'edit' makes of the same picture, the runners kept
    // warm from one picture to the next notwithstanding.
    ASSERT_EQ(cli("edit " + kSample + " " + dir.path("single.bmp") + kPlugins +
                  kActions.substr(std::string(" -- ").size()))
                  .status,
              0);
    EXPECT_TRUE(samePixels(dir.path("single.bmp"), dir.path("out/first.bmp")));
    EXPECT_TRUE(samePixels(dir.path("single.bmp"), dir.path("out/third.bmp")));
}

TEST(BatchCommand, NeverWritesOverAnInputOrOneResultOverAnother) {
    test::TempDir dir;
    fs::create_directories(dir.path("b"));
    fs::copy_file(kSample, dir.path("a.jpg"));
    fs::copy_file(kSample, dir.path("b/a.jpg"));
    fs::create_symlink(dir.dir(), dir.path("link"));
    const std::string original = bytesOf(dir.path("a.jpg"));
    const struct {
        std::string args;
        std::string says;
    } cases[] = {
        {"--out " + dir.path("") + " " + dir.path("a.jpg"), "would be written over the input picture"},
        // The same folder reached through a link is still the input's folder.
        {"--out " + dir.path("link") + " " + dir.path("a.jpg"), "would be written over the input picture"},
        {"--out " + dir.path("out") + " " + dir.path("a.jpg") + " " + dir.path("b/a.jpg"),
         "is already the result of " + dir.path("a.jpg")},
    };
    for (const auto& c : cases) {
        const auto r = cli("batch " + c.args + " -- rotate:180");
        EXPECT_EQ(r.status, 1) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        EXPECT_EQ(bytesOf(dir.path("a.jpg")), original);
    }
}

TEST(BatchCommand, BadCommandLinesAreUsageErrors) {
    test::TempDir dir;
    const std::string out = " --out " + dir.path("out") + " ";
    for (const std::string& args : std::vector<std::string>{out + kSample,  // no "--" and no actions
                                   out + kSample + " --",                  // no actions
                                   out + "-- rotate:cw",                   // no pictures
                                   "" + kSample + " -- rotate:cw",         // no --out
                                   out + "--format tiff " + kSample + " -- rotate:cw",
                                   out + "--jobs 0 " + kSample + " -- rotate:cw",
                                   out + kSample + " -- nonsense:1"}) {
        EXPECT_EQ(cli("batch " + args).status, 2) << args;
    }
    EXPECT_FALSE(fs::exists(dir.path("out")));
}

}  // namespace
}  // namespace mugwarp
