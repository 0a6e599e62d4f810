// mugwarp-cli warp, run as a separate process on the sample portrait.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "formats/picture_io.h"
#include "support/temp_dir.h"
#include "raster/geometry.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;

const std::string kPortrait = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";

class WarpCommand : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return dir_.path(name); }

    // Runs "mugwarp-cli warp ARGS..." and returns its exit code; stderr is kept.
    int warp(const std::vector<std::string>& args) {
        std::string command = std::string("'") + MUGWARP_CLI + "' warp";
        for (const std::string& a : args) command += " '" + a + "'";
        command += " 2>'" + file("stderr.txt") + "' >/dev/null";
        const int status = std::system(command.c_str());
        std::ifstream err(file("stderr.txt"));
        stderr_.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Warps the portrait with the actions, saves a BMP and reads it back.
    PlatformBitmap warpPortrait(const std::string& name, const std::vector<std::string>& actions) {
        std::vector<std::string> args = {kPortrait, file(name)};
        args.insert(args.end(), actions.begin(), actions.end());
        EXPECT_EQ(warp(args), 0) << stderr_;
        return loadPicture(file(name));
    }

    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    test::TempDir dir_;
    std::string stderr_;
};

// The pixels of a 32-bit uncompressed BMP as 0xAARRGGBB, alpha included
// (the editor's own loader, like the platform's, ignores a BMP's alpha).
struct Bmp32 {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

Bmp32 readBmp32(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto le32 = [&](std::size_t at) {
        return std::uint32_t(b.at(at)) | std::uint32_t(b.at(at + 1)) << 8 | std::uint32_t(b.at(at + 2)) << 16 |
               std::uint32_t(b.at(at + 3)) << 24;
    };
    Bmp32 out;
    const std::uint32_t offset = le32(10);
    out.width = static_cast<int>(le32(18));
    const int storedHeight = static_cast<int>(le32(22));
    out.height = storedHeight < 0 ? -storedHeight : storedHeight;
    EXPECT_EQ(b.at(28), 32);
    for (int y = 0; y < out.height; ++y) {
        const int fileRow = storedHeight < 0 ? y : out.height - 1 - y;
        for (int x = 0; x < out.width; ++x) {
            out.pixels.push_back(le32(offset + (std::size_t(fileRow) * out.width + x) * 4));
        }
    }
    return out;
}

bool inside(const std::vector<Rect>& squares, int x, int y) {
    for (const Rect& r : squares)
        if (r.contains(x, y)) return true;
    return false;
}

TEST_F(WarpCommand, ChangesOnlyTheBrushSquares) {
    const PlatformBitmap original = loadPicture(kPortrait);
    const PlatformBitmap warped = warpPortrait(
        "out.bmp", {"--size", "61", "twirl:left:100,100/104,102:hold=5", "--size", "31", "warp:right:300,350:hold=3"});
    ASSERT_EQ(warped.width(), 512);
    ASSERT_EQ(warped.height(), 512);
    ASSERT_EQ(warped.bitsPerPixel(), 32);
    // The press applies nothing; the move and the ticks apply at the last point.
    const std::vector<Rect> squares = {{74, 72, 135, 133}, {285, 335, 316, 366}};
    int changedInside = 0;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            if (inside(squares, x, y)) {
                changedInside += warped.pixelArgb(x, y) != original.pixelArgb(x, y);
            } else {
                ASSERT_EQ(warped.pixelArgb(x, y), original.pixelArgb(x, y)) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(changedInside, 1000);
}

TEST_F(WarpCommand, ContentPulledInFromOutsideIsTransparent) {
    warpPortrait("edge.bmp", {"--size", "81", "putty:left:2,200/20,200/40,200"});
    const Bmp32 warped = readBmp32(file("edge.bmp"));
    ASSERT_EQ(warped.width, 512);
    ASSERT_EQ(warped.height, 512);
    EXPECT_EQ(warped.at(0, 200), 0x00FDFEFFu);  // the outer colour, alpha 0
    EXPECT_EQ(warped.at(1, 200) >> 24, 0u);
    EXPECT_EQ(warped.at(0, 100) >> 24, 255u);  // outside the brush
    EXPECT_EQ(warped.at(60, 200) >> 24, 255u);
    // Nothing else of the picture became transparent.
    int transparent = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            if ((warped.at(x, y) >> 24) != 255) {
                ++transparent;
                ASSERT_LT(x, 40) << x << ", " << y;
                ASSERT_TRUE(y >= 160 && y < 241) << x << ", " << y;
            }
        }
    EXPECT_GT(transparent, 20);
}

TEST_F(WarpCommand, GivesTheSameBytesOnEveryRun) {
    const std::vector<std::string> actions = {"--effect", "-40", "twirl:right:200,240/210,250/230,260:hold=7",
                                              "putty:left:300,300/320,310/330,330", "--size", "200",
                                              "warp:left:256,200:hold=4"};
    warpPortrait("first.bmp", actions);
    warpPortrait("second.bmp", actions);
    const std::string first = bytesOf(file("first.bmp"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, bytesOf(file("second.bmp")));
}

TEST_F(WarpCommand, UndoReturnsToThePictureBeforeTheLastStroke) {
    warpPortrait("one.bmp", {"twirl:left:256,256:hold=10"});
    warpPortrait("undone.bmp", {"twirl:left:256,256:hold=10", "warp:right:200,200:hold=5", "undo"});
    EXPECT_EQ(bytesOf(file("one.bmp")), bytesOf(file("undone.bmp")));

    const PlatformBitmap original = loadPicture(kPortrait);
    const PlatformBitmap restored = warpPortrait("restored.bmp", {"putty:right:100,100/130,120", "undo"});
    for (int y = 0; y < 512; y += 3)
        for (int x = 0; x < 512; x += 3) ASSERT_EQ(restored.pixelArgb(x, y), original.pixelArgb(x, y));
}

TEST_F(WarpCommand, SlidersTakeEffectFromWhereTheyStand) {
    warpPortrait("plain.bmp", {"twirl:left:256,256:hold=3"});
    warpPortrait("late.bmp", {"twirl:left:256,256:hold=3", "--size", "21", "--effect", "90"});
    warpPortrait("early.bmp", {"--effect", "90", "twirl:left:256,256:hold=3"});
    EXPECT_EQ(bytesOf(file("plain.bmp")), bytesOf(file("late.bmp")));
    EXPECT_NE(bytesOf(file("plain.bmp")), bytesOf(file("early.bmp")));
}

TEST_F(WarpCommand, PuttyHasNoTimer) {
    warpPortrait("moved.bmp", {"putty:left:100,100/110,100"});
    warpPortrait("held.bmp", {"putty:left:100,100/110,100:hold=50"});
    EXPECT_EQ(bytesOf(file("moved.bmp")), bytesOf(file("held.bmp")));
}

TEST_F(WarpCommand, SavesByTheOutputExtension) {
    const std::vector<std::string> actions = {"twirl:left:256,256:hold=2"};
    for (const std::string name : {"out.jpg", "out.gif", "out.pdf"}) {
        std::vector<std::string> args = {kPortrait, file(name)};
        args.insert(args.end(), actions.begin(), actions.end());
        ASSERT_EQ(warp(args), 0) << name << ": " << stderr_;
        EXPECT_GT(fs::file_size(file(name)), 100u) << name;
    }
    const PlatformBitmap jpeg = loadPicture(file("out.jpg"));
    EXPECT_EQ(jpeg.width(), 512);
}

TEST_F(WarpCommand, RejectsBadArgumentsWithUsage) {
    const std::string out = file("never.bmp");
    const std::vector<std::vector<std::string>> bad = {
        {},
        {kPortrait},
        {kPortrait, out},
        {kPortrait, out, "smear:left:1,1"},
        {kPortrait, out, "twirl:middle:1,1"},
        {kPortrait, out, "twirl:left:"},
        {kPortrait, out, "twirl:left:1,x"},
        {kPortrait, out, "twirl:left:1,2,3"},
        {kPortrait, out, "twirl:left:1,2/"},
        {kPortrait, out, "twirl:left:1,2:hold=-1"},
        {kPortrait, out, "twirl:left:1,2:hold=3x"},
        {kPortrait, out, "twirl:left:1,2:wait=3"},
        {kPortrait, out, "twirl:left"},
        {kPortrait, out, "--size", "4", "undo"},
        {kPortrait, out, "--size", "501", "undo"},
        {kPortrait, out, "--effect", "-101", "undo"},
        {kPortrait, out, "undo", "--size"},
        {kPortrait, out, "--brush", "3", "undo"},
        {kPortrait, out, "--effect", "+-5", "undo"},
        {kPortrait, out, "twirl:left:+-1,2"},
        {kPortrait, out, "twirl:left:1,2:hold=+-0"},
        {kPortrait, out, "reconstruct:middle:1,1"},
        {kPortrait, out, "smooth:left:"},
        {kPortrait, out, "freeze:left:1,2:hold=x"},
        {kPortrait, out, "thaw"},
        {kPortrait, out, "freeze-none:1"},
        {kPortrait, out, "freeze-invert:left:1,1"},
    };
    for (const auto& args : bad) {
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(warp(args), 2) << shown;
        EXPECT_NE(stderr_.find("usage: mugwarp-cli warp"), std::string::npos) << shown;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(WarpCommand, ReconstructBrushesAPullBackToTheOriginal) {
    const PlatformBitmap original = warpPortrait("original.bmp", {"restore"});
    const PlatformBitmap back = warpPortrait(
        "back.bmp", {"--size", "60", "putty:left:240,250/255,252/270,256", "--size", "160", "--effect", "100",
                     "reconstruct:left:255,253:hold=300"});
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) ASSERT_EQ(back.pixelArgb(x, y), original.pixelArgb(x, y)) << x << "," << y;
    // Smooth is a step of its own: undone, the pull is back as it was.
    warpPortrait("pulled.bmp", {"--size", "60", "putty:left:240,250/255,252/270,256"});
    warpPortrait("smoothed.bmp", {"--size", "60", "putty:left:240,250/255,252/270,256", "smooth:left:262,254:hold=20"});
    warpPortrait("unsmoothed.bmp",
                 {"--size", "60", "putty:left:240,250/255,252/270,256", "smooth:left:262,254:hold=20", "undo"});
    EXPECT_FALSE(bytesOf(file("pulled.bmp")) == bytesOf(file("smoothed.bmp")));
    EXPECT_TRUE(bytesOf(file("pulled.bmp")) == bytesOf(file("unsmoothed.bmp")));
}

TEST_F(WarpCommand, FrozenPixelsStayAndTheMaskCommandsAreSteps) {
    const PlatformBitmap original = warpPortrait("original.bmp", {"restore"});
    const std::vector<std::string> freeze = {"--size", "80", "--effect", "100", "freeze:left:256,256:hold=20"};
    const auto with = [&](std::vector<std::string> actions) {
        actions.insert(actions.begin(), freeze.begin(), freeze.end());
        return actions;
    };
    const PlatformBitmap twirled = warpPortrait("frozen.bmp", with({"twirl:left:200,256/256,256/312,256:hold=20"}));
    for (int y = 246; y <= 266; ++y)
        for (int x = 246; x <= 266; ++x) ASSERT_EQ(twirled.pixelArgb(x, y), original.pixelArgb(x, y)) << x << "," << y;
    warpPortrait("free.bmp", {"--size", "80", "--effect", "100", "twirl:left:200,256/256,256/312,256:hold=20"});
    warpPortrait("none.bmp", with({"freeze-none", "twirl:left:200,256/256,256/312,256:hold=20"}));
    warpPortrait("undone.bmp", with({"undo", "twirl:left:200,256/256,256/312,256:hold=20"}));
    warpPortrait("inverted.bmp", with({"freeze-invert", "twirl:left:200,256/256,256/312,256:hold=20"}));
    const auto same = [&](const char* a, const char* b) { return bytesOf(file(a)) == bytesOf(file(b)); };
    EXPECT_FALSE(same("free.bmp", "frozen.bmp"));
    EXPECT_TRUE(same("free.bmp", "none.bmp"));
    EXPECT_TRUE(same("free.bmp", "undone.bmp"));
    EXPECT_FALSE(same("inverted.bmp", "free.bmp"));
    EXPECT_FALSE(same("inverted.bmp", "frozen.bmp"));
    // The mask itself is never drawn into the saved picture.
    warpPortrait("mask-only.bmp", freeze);
    EXPECT_TRUE(same("original.bmp", "mask-only.bmp"));
}

TEST_F(WarpCommand, ReportsFailuresWithExitCodeOne) {
    EXPECT_EQ(warp({file("missing.jpg"), file("out.bmp"), "undo"}), 1);
    EXPECT_FALSE(stderr_.empty());
    EXPECT_FALSE(fs::exists(file("out.bmp")));

    EXPECT_EQ(warp({kPortrait, file("out.xyz"), "undo"}), 1);
    EXPECT_FALSE(stderr_.empty());
    // The output name is checked before any work, even before the input is read.
    EXPECT_EQ(warp({file("missing.jpg"), file("out.xyz"), "undo"}), 1);
    EXPECT_NE(stderr_.find("Cannot save as .xyz"), std::string::npos) << stderr_;

    std::ofstream(file("broken.jpg")) << "not a picture";
    EXPECT_EQ(warp({file("broken.jpg"), file("out.bmp"), "twirl:left:1,1"}), 1);
    EXPECT_NE(stderr_.find("Cannot open broken.jpg: JPEG data damaged"), std::string::npos) << stderr_;
}

}  // namespace
}  // namespace mugwarp
