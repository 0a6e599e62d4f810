// mugwarp-cli's clipart: and text: actions, run as a separate process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

class OverlayActions : public ::testing::Test {
protected:
    void SetUp() override {
        PixelSurface base(40, 30);
        base.fillRect(base.bounds(), 0xFF808080);
        savePicture(base, dir_.path("base.bmp"), 0xFDFEFF);
        PixelSurface art(6, 4);
        art.fillRect(art.bounds(), 0xFFFF0000);
        art.fillRect({3, 0, 6, 4}, 0x00000000);
        savePicture(art, dir_.path("art:1.gif"), 0xFDFEFF);
    }
    int run(const std::vector<std::string>& actions) {
        std::string command = std::string("'") + MUGWARP_CLI + "' edit '" + dir_.path("base.bmp") + "' '" +
                              dir_.path("out.bmp") + "'";
        for (const std::string& a : actions) command += " '" + a + "'";
        command += " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    PixelSurface result() const {
        PixelSurface out;
        out.assign(loadPicture(dir_.path("out.bmp")));
        return out;
    }
    test::TempDir dir_;
};

TEST_F(OverlayActions, ClipartIsDrawnWithItsTopLeftAtThePoint) {
    ASSERT_EQ(run({"clipart:" + dir_.path("art:1.gif") + ":10,5:transparent",
                   "clipart:" + dir_.path("art:1.gif") + ":20,20"}), 0);
    const PixelSurface out = result();
    EXPECT_EQ(out.pixel(10, 5), 0xFFFF0000u);
    EXPECT_EQ(out.pixel(9, 5), 0xFF808080u);
    EXPECT_EQ(out.pixel(14, 8), 0xFF808080u);  // keyed half: the picture shows
    EXPECT_NE(out.pixel(24, 23), 0xFF808080u);  // not keyed: the GIF's own colour there
    EXPECT_EQ(out.pixel(26, 20), 0xFF808080u);
}

TEST_F(OverlayActions, TextIsDrawnInTheGivenColour) {
    ASSERT_EQ(run({"text:W:a:2,2:DejaVu Sans:14:0000ff"}), 0);
    const PixelSurface out = result();
    int blue = 0;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) blue += out.pixel(x, y) == 0xFF0000FFu;
    EXPECT_GT(blue, 10);
    EXPECT_EQ(out.pixel(0, 0), 0xFF808080u);
    EXPECT_EQ(out.pixel(39, 29), 0xFF808080u);
}

TEST_F(OverlayActions, MalformedOrFailingActions) {
    struct Case {
        std::string action;
        int exit;
    };
    const Case cases[] = {
        {"clipart:" + dir_.path("art:1.gif"), 2},
        {"clipart:x.gif:1,y", 2},
        {"text::3,4", 2},
        {"text:hi:1,2:Sans:0:000000", 2},
        {"text:hi:1,2:Sans:12:00zz00", 2},
        {"clipart:" + dir_.path("missing.bmp") + ":1,1", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(run({c.action}), c.exit) << c.action;
}

}  // namespace
}  // namespace mugwarp
