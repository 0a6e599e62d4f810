#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/gif_image.h"
#include "formats/picture_io.h"
#include "support/temp_dir.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs mugwarp-cli with the arguments; stdout and stderr captured apart.
Result cli(const std::string& args, const fs::path& dir) {
    const std::string errFile = (dir / "stderr.txt").string();
    const std::string command = std::string(MUGWARP_CLI) + " " + args + " 2>" + errFile;
    Result r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

class ConvertCommand : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return tmp_.path(name); }
    std::string sample() const { return std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg"; }

    test::TempDir tmp_;
    const fs::path& dir_ = tmp_.dir();
};

TEST_F(ConvertCommand, EveryWriterFromTheSample) {
    for (const char* name : {"a.bmp", "a.jpg", "a.JPEG", "a.gif", "a.pdf"}) {
        const Result r = cli("convert " + sample() + " " + path(name), dir_);
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
        ASSERT_TRUE(fs::exists(path(name))) << name;
    }
    EXPECT_EQ(loadPicture(path("a.bmp")).width(), 512);
    EXPECT_EQ(loadPicture(path("a.jpg")).height(), 512);
    EXPECT_EQ(loadGifPicture(path("a.gif")).composite.width(), 512);
    EXPECT_EQ(std::system(("/usr/bin/qpdf --check " + path("a.pdf") + " >/dev/null").c_str()), 0);
    EXPECT_FALSE(fs::exists(path("a.pdf111")));
    // The BMP holds exactly the pixels the JPEG decodes to.
    const PlatformBitmap jpeg = loadPicture(sample());
    const PlatformBitmap bmp = loadPicture(path("a.bmp"));
    for (int y = 0; y < 512; y += 13)
        for (int x = 0; x < 512; x += 7) ASSERT_EQ(bmp.pixelArgb(x, y), jpeg.pixelArgb(x, y));
}

// A GIF's transparent colour is keyed on the way in and written as the key
// on the way out; a GIF without one stays opaque, white included.
TEST_F(ConvertCommand, GifTransparencySurvivesAndWhiteStaysOpaque) {
    PixelSurface picture(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) picture.setPixel(x, y, x < 3 ? 0xFFFFFFFF : 0xFF2040A0);
    picture.setPixel(0, 0, 0x000000FF);  // transparent, keyed with blue below
    const PlatformColor blueKey = 0xFF0000;
    savePicture(picture, path("keyed.gif"), blueKey);
    ASSERT_EQ(cli("convert " + path("keyed.gif") + " " + path("again.gif"), dir_).status, 0);
    const GifPicture again = loadGifPicture(path("again.gif"));
    ASSERT_TRUE(again.transparentColor.has_value());
    EXPECT_EQ(*again.transparentColor, blueKey);
    EXPECT_EQ(again.composite.pixelArgb(0, 0), 0xFF0000FFu);
    EXPECT_EQ(again.composite.pixelArgb(1, 0), 0xFFFFFFFFu);

    // Without a transparent colour: written again, white must not become the key.
    GifImage opaque;
    opaque.addFrameFromBitmap(picture.toPlatformBitmap());
    {
        const auto bytes = opaque.store();
        std::ofstream(path("opaque.gif"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ASSERT_EQ(cli("convert " + path("opaque.gif") + " " + path("opaque2.gif"), dir_).status, 0);
    ASSERT_EQ(cli("convert " + path("opaque.gif") + " " + path("opaque.bmp"), dir_).status, 0);
    const GifPicture opaque2 = loadGifPicture(path("opaque2.gif"));
    EXPECT_FALSE(opaque2.transparentColor.has_value());
    EXPECT_EQ(opaque2.composite.pixelArgb(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(loadPicture(path("opaque.bmp")).pixelArgb(1, 1), 0xFFFFFFFFu);
}

// A 32-bit BMP's alpha is read like the editor reads it, so places erased
// before a save as BMP stay erased through a conversion; a BMP whose alpha
// bytes are all 0 still comes out opaque.
TEST_F(ConvertCommand, ThirtyTwoBitBmpAlphaSurvives) {
    PixelSurface picture(3, 2);
    picture.fillRect(picture.bounds(), 0xFF336699);
    picture.setPixel(1, 0, 0x00112233);
    picture.setPixel(2, 1, 0x80445566);
    savePicture(picture, path("erased.bmp"), kDefaultKeyColor);
    ASSERT_EQ(cli("convert " + path("erased.bmp") + " " + path("again.bmp"), dir_).status, 0);
    const PlatformBitmap again = loadPicture(path("again.bmp"));
    EXPECT_EQ(again.pixelArgb(1, 0), 0x00112233u);
    EXPECT_EQ(again.pixelArgb(2, 1), 0x80445566u);
    EXPECT_EQ(again.pixelArgb(0, 0), 0xFF336699u);

    PixelSurface unset(2, 2);
    unset.fillRect(unset.bounds(), 0x00A0B0C0);
    savePicture(unset, path("unset.bmp"), kDefaultKeyColor);
    ASSERT_EQ(cli("convert " + path("unset.bmp") + " " + path("unset2.bmp"), dir_).status, 0);
    EXPECT_EQ(loadPicture(path("unset2.bmp")).pixelArgb(1, 1), 0xFFA0B0C0u);
}

TEST_F(ConvertCommand, FailuresAndBadArguments) {
    Result r = cli("convert " + sample(), dir_);
    EXPECT_EQ(r.status, 2);
    r = cli("convert a b c", dir_);
    EXPECT_EQ(r.status, 2);
    r = cli("convert " + sample() + " " + path("out.tga"), dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(fs::exists(path("out.tga")));
    r = cli("convert " + path("missing.jpg") + " " + path("out.bmp"), dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.jpg"), std::string::npos) << r.err;
    {
        std::ofstream(path("bad.jpg")) << "not a jpeg at all";
    }
    r = cli("convert " + path("bad.jpg") + " " + path("out.bmp"), dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Cannot open bad.jpg: JPEG data damaged: ", 0), 0u) << r.err;
    r = cli("convert " + sample() + " " + path("out.tiff"), dir_);
    EXPECT_EQ(r.status, 1);
    {
        std::ofstream(path("x.txt")) << "some notes";
    }
    r = cli("convert " + path("x.txt") + " " + path("out.bmp"), dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot open x.txt: it is not a picture Mugwarp Studio reads (it reads BMP, JPEG, GIF, PNG, WebP, HEIC and AVIF)"),
              std::string::npos) << r.err;
}

TEST_F(ConvertCommand, InfoDescribesPictures) {
    Result r = cli("info " + sample(), dir_);
    EXPECT_EQ(r.status, 0);
    const std::string plain = "orientation: none\ntransparency: no\nmetadata: none\n";
    EXPECT_EQ(r.out, "format: JPEG\nwidth: 512\nheight: 512\n" + plain);
    ASSERT_EQ(cli("convert " + sample() + " " + path("p.bmp"), dir_).status, 0);
    EXPECT_EQ(cli("info " + path("p.bmp"), dir_).out, "format: BMP\nwidth: 512\nheight: 512\n" + plain);

    GifImage gif;
    PixelSurface picture(9, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) picture.setPixel(x, y, x % 2 ? 0xFFFF0000 : 0xFF00FF00);
    gif.addFrameFromBitmap(picture.toPlatformBitmap());
    gif.setFrameTransparency(0, 0x0000FF);
    gif.comment = {"made for a test"};
    const auto bytes = gif.store();
    std::ofstream(path("c.gif"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    r = cli("info " + path("c.gif"), dir_);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "format: GIF\nwidth: 9\nheight: 5\nversion: 89a\nframes: 1\ntransparent: #FF0000\n"
              "comment:\n  made for a test\n");

    EXPECT_EQ(cli("info", dir_).status, 2);
    r = cli("info " + path("nothing.gif"), dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
}

}  // namespace
}  // namespace mugwarp
