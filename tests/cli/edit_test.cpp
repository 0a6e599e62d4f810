// mugwarp-cli edit: the flat-image and canvas actions, run as a process on small made-up pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

class EditCommand : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return dir_.path(name); }

    static std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    int run(const std::string& command, const std::vector<std::string>& args) {
        std::string line = std::string("'") + MUGWARP_CLI + "' " + command;
        for (const std::string& a : args) line += " '" + a + "'";
        line += " 2>'" + file("stderr.txt") + "' >'" + file("stdout.txt") + "'";
        const int status = std::system(line.c_str());
        stderr_ = slurp(file("stderr.txt"));
        stdout_ = slurp(file("stdout.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A width x height BMP whose pixel (x, y) has red x and green y.
    std::string grid(int width, int height) {
        PixelSurface picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) picture.setPixel(x, y, 0xFF000080u | Argb(x) << 16 | Argb(y) << 8);
        const std::string path = file("grid.bmp");
        savePicture(picture, path, 0);
        return path;
    }

    PlatformBitmap edit(const std::string& input, const std::vector<std::string>& actions) {
        std::vector<std::string> args = {input, file("out.bmp")};
        args.insert(args.end(), actions.begin(), actions.end());
        EXPECT_EQ(run("edit", args), 0) << stderr_;
        return loadPicture(file("out.bmp"));
    }

    test::TempDir dir_;
    std::string stderr_, stdout_;
};

constexpr Argb rgb(Argb c) { return c & 0xFFFFFFu; }
constexpr Argb gridAt(int x, int y) { return 0x80u | Argb(x) << 16 | Argb(y) << 8; }

TEST_F(EditCommand, RotationsTurnAsTheyAreNamed) {
    const std::string in = grid(3, 2);
    struct Case {
        std::vector<std::string> actions;
        int width, height;
        Argb topLeft, topRight;
    };
    const std::vector<Case> cases = {
        {{"rotate:cw"}, 2, 3, gridAt(0, 1), gridAt(0, 0)},  // the old bottom-left comes up to the top-left
        {{"rotate:ccw"}, 2, 3, gridAt(2, 0), gridAt(2, 1)},
        {{"rotate:180"}, 3, 2, gridAt(2, 1), gridAt(0, 1)},
        {{"rotate:cw", "rotate:ccw"}, 3, 2, gridAt(0, 0), gridAt(2, 0)},
        {{"rotate:cw", "rotate:cw", "rotate:cw", "rotate:cw"}, 3, 2, gridAt(0, 0), gridAt(2, 0)},
        {{"rotate:cw", "undo"}, 3, 2, gridAt(0, 0), gridAt(2, 0)},
    };
    for (const Case& c : cases) {
        const PlatformBitmap out = edit(in, c.actions);
        ASSERT_EQ(out.width(), c.width) << c.actions.front();
        ASSERT_EQ(out.height(), c.height);
        EXPECT_EQ(rgb(out.pixelArgb(0, 0)), c.topLeft) << c.actions.size();
        EXPECT_EQ(rgb(out.pixelArgb(c.width - 1, 0)), c.topRight) << c.actions.size();
    }
}

TEST_F(EditCommand, UndoWalksBackAndRedoForward) {
    const std::string in = grid(30, 20);
    struct Case {
        std::vector<std::string> actions;
        int width;
        Argb topLeft;
    };
    const std::vector<Case> cases = {
        {{"rotate:cw", "paint:FF0000:2:0,0", "undo"}, 20, gridAt(0, 19)},
        {{"rotate:cw", "paint:FF0000:2:0,0", "undo", "undo"}, 30, gridAt(0, 0)},
        {{"rotate:cw", "paint:FF0000:2:0,0", "undo", "undo", "undo", "redo"}, 20, gridAt(0, 19)},
        {{"rotate:cw", "paint:FF0000:2:0,0", "undo", "undo", "redo", "redo", "redo"}, 20, 0xFF0000u},
        {{"rotate:cw", "undo", "resize:60:40", "redo"}, 60, gridAt(0, 0)},  // a new change drops the redo step
        // Changes after the last undo are kept as well as any.
        {{"paint:FF0000:2:0,0", "undo", "rotate:cw"}, 20, gridAt(0, 19)},
        {{"rotate:cw", "undo", "rotate:ccw", "paint:FF0000:2:0,0", "rotate:180"}, 20, gridAt(0, 19)},
    };
    for (const Case& c : cases) {
        const PlatformBitmap out = edit(in, c.actions);
        EXPECT_EQ(out.width(), c.width) << c.actions.size();
        EXPECT_EQ(rgb(out.pixelArgb(0, 0)), c.topLeft) << c.actions.size();
    }
}

TEST_F(EditCommand, FlatToolsEraseClippedPaintPickAndCrop) {
    const std::string in = grid(40, 30);
    PlatformBitmap out = edit(in, {"erase:3:5,5", "paint:FF0000:2:-3,28", "pick:6,6"});
    EXPECT_EQ(stdout_, "#B0B0B0\n");  // erased places pick up the grey of the checkerboard
    EXPECT_EQ(rgb(out.pixelArgb(8, 8)), 0xFDFEFFu);
    EXPECT_EQ(rgb(out.pixelArgb(9, 8)), gridAt(9, 8));
    EXPECT_EQ(rgb(out.pixelArgb(0, 29)), 0xFF0000u);  // clipped at the left and bottom edges
    EXPECT_EQ(rgb(out.pixelArgb(2, 28)), 0xFF0000u);
    EXPECT_EQ(rgb(out.pixelArgb(3, 28)), gridAt(3, 28));

    out = edit(in, {"crop:20,15/10,10"});
    ASSERT_EQ(out.width(), 10);
    ASSERT_EQ(out.height(), 5);
    EXPECT_EQ(rgb(out.pixelArgb(0, 0)), gridAt(10, 10));
    EXPECT_EQ(rgb(out.pixelArgb(9, 4)), gridAt(19, 14));

    // Leaving the picture clips; an empty rectangle crops nothing; undo restores the size.
    EXPECT_EQ(edit(in, {"crop:30,20/90,-9"}).width(), 10);
    EXPECT_EQ(edit(in, {"crop:30,20/30,25"}).width(), 40);
    EXPECT_EQ(edit(in, {"crop:1,1/5,5", "undo"}).width(), 40);
}

TEST_F(EditCommand, ResizeStretchesWithinTheDialogsLimits) {
    const std::string in = grid(40, 30);
    PlatformBitmap out = edit(in, {"resize:80:15"});
    ASSERT_EQ(out.width(), 80);
    ASSERT_EQ(out.height(), 15);
    EXPECT_EQ(rgb(out.pixelArgb(3, 3)), gridAt(1, 6));  // nearest pixel, no averaging
    out = edit(in, {"resize:5000:1"});
    EXPECT_EQ(out.width(), 400);
    EXPECT_EQ(out.height(), 10);
    EXPECT_EQ(edit(in, {"resize:80:15", "undo"}).width(), 40);
}

TEST_F(EditCommand, BadActionsAreUsageErrorsNamingTheAction) {
    const std::string in = grid(8, 8);
    for (const std::string bad : {"rotate:90", "rotate", "resize:0:5", "resize:5", "erase:3", "erase:-1:1,1",
                                  "paint:GG0000:3:1,1", "paint:FF00:3:1,1", "pick:1", "crop:1,1", "crop:1,1/2,2/3,3",
                                  "restore:now", "undo:1", "bogus", "twirl:up:1,1"}) {
        EXPECT_EQ(run("edit", {in, file("bad.bmp"), bad}), 2) << bad;
        EXPECT_NE(stderr_.find("'" + bad + "'"), std::string::npos) << stderr_;
        EXPECT_NE(stderr_.find("usage: mugwarp-cli edit"), std::string::npos) << bad;
    }
    EXPECT_EQ(run("edit", {in, file("bad.bmp"), "pick:8,0"}), 1);
    EXPECT_NE(stderr_.find("outside the picture"), std::string::npos) << stderr_;
}

TEST_F(EditCommand, WarpIsTheSameCommand) {
    const std::string in = grid(40, 30);
    const std::vector<std::string> actions = {"twirl:left:20,15:hold=3", "erase:2:1,1", "rotate:ccw"};
    std::vector<std::string> args = {in, file("a.bmp")};
    args.insert(args.end(), actions.begin(), actions.end());
    ASSERT_EQ(run("warp", args), 0) << stderr_;
    args[1] = file("b.bmp");
    ASSERT_EQ(run("edit", args), 0) << stderr_;
    EXPECT_EQ(slurp(file("a.bmp")), slurp(file("b.bmp")));

    // Restore takes the warping back; undo then brings it back.
    const PlatformBitmap restored = edit(in, {"twirl:left:20,15:hold=3", "restore"});
    const PlatformBitmap undone = edit(in, {"twirl:left:20,15:hold=3", "restore", "undo"});
    int warpedPixels = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(rgb(restored.pixelArgb(x, y)), gridAt(x, y));
            warpedPixels += rgb(undone.pixelArgb(x, y)) != gridAt(x, y);
        }
    EXPECT_GT(warpedPixels, 100);
}

}  // namespace
}  // namespace mugwarp
