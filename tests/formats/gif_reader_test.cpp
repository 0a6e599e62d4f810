#include <filesystem>

#include "formats/gif_image.h"
#include "formats/picture_io.h"
#include "gif_builder.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::GifBuilder;
using test::TempDir;

std::string loadError(const std::vector<std::uint8_t>& bytes) {
    try {
        GifImage gif;
        gif.load(bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// GIFs as ImageMagick writes them (1 to 8 bits, interlaced or not, with and
// without a transparent colour) decode to giflib's pixels, and the colour we
// key is exactly where ImageMagick sees transparency.
TEST(GifRead, FilesWrittenByImageMagick) {
    TempDir tmp;
    for (int bits = 1; bits <= 8; ++bits) {
        const int colours = 1 << bits;
        const PixelSurface picture = test::paletteSizedPicture(97, 61, colours, std::uint32_t(bits));
        test::writePpm(tmp.path("in.ppm"), picture);
        const Argb keyArgb = picture.pixel(5, 5);
        char keyName[16];
        std::snprintf(keyName, sizeof keyName, "#%06X", keyArgb & 0xFFFFFF);
        for (bool interlaced : {false, true}) {
            for (bool transparent : {false, true}) {
                SCOPED_TRACE(std::to_string(bits) + " bits" + (interlaced ? ", interlaced" : "") +
                             (transparent ? ", transparent" : ""));
                const std::string gifPath = tmp.path("im.gif");
                std::string options = interlaced ? " -interlace GIF" : " -interlace none";
                if (transparent) options += std::string(" -transparent '") + keyName + "'";
                ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("in.ppm") + options + " " + gifPath), 0);
                GifImage gif;
                gif.load(test::readFile(gifPath));
                ASSERT_EQ(gif.frames.size(), 1u);
                EXPECT_EQ(gif.frames[0].interlaced, interlaced);
                EXPECT_FALSE(gif.frames[0].corrupted);
                const GifPicture loaded = loadGifPicture(gifPath);
                EXPECT_TRUE(test::sameRgb(test::rgbOf(loaded.composite), test::giflibDecode(gifPath, 97, 61, tmp)));
                ASSERT_EQ(loaded.transparentColor.has_value(), transparent);
                if (!transparent) {
                    EXPECT_TRUE(test::sameRgb(test::rgbOf(loaded.composite), test::rgbOf(picture)));
                    continue;
                }
                ASSERT_EQ(test::run("/usr/bin/convert " + gifPath + " -alpha extract -depth 8 " + tmp.path("a.pgm")), 0);
                const auto alpha = test::readPnm(tmp.path("a.pgm"));
                ASSERT_EQ(alpha.pixels.size(), std::size_t(97 * 61));
                const Argb key = argbFromPlatform(*loaded.transparentColor, 255);
                for (int y = 0; y < 61; ++y)
                    for (int x = 0; x < 97; ++x) {
                        const bool keyed = loaded.composite.pixelArgb(x, y) == key;
                        const bool clear = (alpha.pixels[std::size_t(y) * 97 + x] & 0xFF) == 0;
                        ASSERT_EQ(keyed, clear) << x << "," << y;
                    }
            }
        }
    }
}

TEST(GifRead, SignatureAndVersionIgnoreCase) {
    const auto bitmap = test::indexedBitmap(4, 2, 8, [](int x, int y) { return x + y; });
    for (const char* sig : {"GIF89a", "gif89A", "GiF87A"}) {
        GifImage gif;
        gif.load(GifBuilder(sig).screen(4, 2, 3).image(bitmap).trailer().bytes);
        EXPECT_EQ(gif.width(), 4) << sig;
    }
    EXPECT_EQ(loadError(GifBuilder("GIF88a").screen(4, 2, 3).image(bitmap).trailer().bytes), "Unknown GIF version");
    EXPECT_EQ(loadError(GifBuilder("JIF89a").screen(4, 2, 3).image(bitmap).trailer().bytes), "Unknown GIF version");
    EXPECT_EQ(loadError({}), "Unknown GIF version");
}

TEST(GifRead, InterlacedFramesMatchTheirStraightTwins) {
    for (int height : {1, 2, 3, 4, 5, 8, 9, 17}) {
        const auto bitmap = test::indexedBitmap(7, height, 8, [](int x, int y) { return (x * 3 + y * 11) % 8; });
        GifImage straight, interlaced;
        straight.load(GifBuilder().screen(7, height, 3).image(bitmap).trailer().bytes);
        interlaced.load(GifBuilder().screen(7, height, 3).image(bitmap, 0, true).trailer().bytes);
        const auto& a = straight.frameBitmap(0);
        const auto& b = interlaced.frameBitmap(0);
        EXPECT_FALSE(interlaced.frames[0].corrupted) << height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 7; ++x) {
                ASSERT_EQ(a.pixelIndex(x, y), bitmap.pixelIndex(x, y));
                ASSERT_EQ(b.pixelIndex(x, y), bitmap.pixelIndex(x, y)) << height << ": " << x << "," << y;
            }
    }
}

TEST(GifRead, PaletteDepthAndFillers) {
    // No table at all: every index reads black.
    const auto bitmap = test::indexedBitmap(3, 3, 8, [](int x, int) { return x; });
    GifImage bare;
    bare.load(GifBuilder().screen(3, 3, 0).image(bitmap).trailer().bytes);
    EXPECT_EQ(bare.frameBitmap(0).bitsPerPixel(), 8);
    EXPECT_EQ(bare.frameBitmap(0).pixelArgb(2, 0), 0xFF000000u);
    // A 32-colour table gives an 8-bit bitmap with grey beyond entry 31.
    GifImage g32;
    g32.load(GifBuilder().screen(3, 3, 5).image(bitmap).trailer().bytes);
    const auto& b32 = g32.frameBitmap(0);
    EXPECT_EQ(b32.bitsPerPixel(), 8);
    ASSERT_EQ(b32.palette().size(), 256u);
    EXPECT_EQ(b32.palette()[31], (PaletteEntry{std::uint8_t(31 * 150 + 1), std::uint8_t(31 * 90 + 1), std::uint8_t(31 * 40 + 1), 0}));
    EXPECT_EQ(b32.palette()[32], (PaletteEntry{128, 128, 128, 0}));
    // 2 colours make a 1-bit bitmap, 4 a 4-bit one.
    GifImage g2, g4;
    g2.load(GifBuilder().screen(3, 3, 1).image(test::indexedBitmap(3, 3, 1, [](int x, int) { return x & 1; })).trailer().bytes);
    g4.load(GifBuilder().screen(3, 3, 2).image(test::indexedBitmap(3, 3, 4, [](int x, int) { return x; })).trailer().bytes);
    EXPECT_EQ(g2.frameBitmap(0).bitsPerPixel(), 1);
    EXPECT_EQ(g4.frameBitmap(0).bitsPerPixel(), 4);
    EXPECT_EQ(g4.frameBitmap(0).pixelIndex(2, 1), 2);
    EXPECT_EQ(g2.frameBitmap(0).pixelIndex(1, 2), 1);
}

TEST(GifRead, TransparentColourFromGraphicControl) {
    const auto bitmap = test::indexedBitmap(2, 2, 8, [](int x, int y) { return x + 2 * y; });
    GifImage keyed, beyond, off;
    keyed.load(GifBuilder().screen(2, 2, 2).control(1, 7, 3).image(bitmap).trailer().bytes);
    EXPECT_EQ(keyed.transparentColor(0), GifBuilder::entryColor(3));
    EXPECT_EQ(keyed.frames[0].delay, 70);
    beyond.load(GifBuilder().screen(2, 2, 2).control(1, 0, 4).image(bitmap).trailer().bytes);
    EXPECT_EQ(beyond.transparentColor(0), kGifNoColor);
    off.load(GifBuilder().screen(2, 2, 2).control(8, 0, 3).image(bitmap).trailer().bytes);
    EXPECT_EQ(off.transparentColor(0), kGifNoColor);
    EXPECT_EQ(off.frames[0].disposal, 2);
}

TEST(GifRead, LoopCountCommentsAndScreenSize) {
    const auto bitmap = test::indexedBitmap(5, 3, 8, [](int x, int) { return x % 4; });
    GifImage gif;
    gif.load(GifBuilder()
                 .screen(5, 3, 2)
                 .application("NETSCAPE2.0", {1, 0xFF, 0xFF})
                 .image(bitmap, 0, false, 0, 0)
                 .comment({"first"})
                 .comment({"second", "line"})
                 .trailer()
                 .bytes);
    EXPECT_TRUE(gif.looping);
    EXPECT_EQ(gif.repeatCount, 30000);
    EXPECT_EQ(gif.comment, (std::vector<std::string>{"first", "\r\n\r\n", "second", "line"}));
    // A descriptor of width and height 0 takes the logical screen's.
    EXPECT_EQ(gif.width(), 5);
    EXPECT_EQ(gif.height(), 3);
}

TEST(GifRead, ErrorsOfTheFileStructure) {
    const auto bitmap = test::indexedBitmap(2, 2, 8, [](int, int) { return 1; });
    EXPECT_EQ(loadError(GifBuilder().screen(2, 2, 2).raw({'!', 0x3A, 0}).image(bitmap).trailer().bytes),
              "Unrecognized extension block: 3a");
    EXPECT_EQ(loadError(GifBuilder().screen(2, 2, 2).raw({'x'}).trailer().bytes), "Stream read error");
    // An image descriptor cut short.
    EXPECT_EQ(loadError(GifBuilder().screen(2, 2, 2).raw({',', 0, 0, 0}).bytes), "Stream read error");
    // A file without an image opens as nothing rather than as an empty picture.
    test::TempDir tmp;
    test::writeFile(tmp.path("empty.gif"), GifBuilder().screen(2, 2, 2).comment({"only words"}).trailer().bytes);
    try {
        loadGifPicture(tmp.path("empty.gif"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "GIF image contains no picture");
    }
}

TEST(GifRead, DamagedRasterMarksTheFrameInsteadOfFailing) {
    const auto bitmap = test::indexedBitmap(40, 30, 8, [](int x, int y) { return (x * y + x) % 4; });
    const auto good = GifBuilder().screen(40, 30, 2).image(bitmap).trailer().bytes;
    // Cut inside the data sub-blocks.
    GifImage cut;
    cut.load(std::vector<std::uint8_t>(good.begin(), good.end() - 12));
    EXPECT_TRUE(cut.frames[0].corrupted);
    EXPECT_EQ(cut.frameBitmap(0).width(), 40);
    EXPECT_EQ(cut.frameBitmap(0).pixelIndex(39, 29), 0);
    test::TempDir tmp;
    test::writeFile(tmp.path("cut.gif"), std::vector<std::uint8_t>(good.begin(), good.end() - 12));
    const GifPicture opened = loadGifPicture(tmp.path("cut.gif"));
    EXPECT_TRUE(opened.damaged);
    EXPECT_EQ(opened.composite.width(), 40);
    // A code size byte out of range: only the pixel after each clear code.
    auto badSize = good;
    const std::size_t codeSizeAt = 13 + 12 + 10;
    ASSERT_EQ(badSize[codeSizeAt], 8);
    badSize[codeSizeAt] = 11;
    GifImage bad;
    bad.load(badSize);
    EXPECT_TRUE(bad.frames[0].corrupted);
    // A cycle in the string table is cut off by the stack bound.
    const std::vector<std::uint8_t> cyclic = GifBuilder()
                                                 .screen(64, 64, 2)
                                                 .raw({',', 0, 0, 0, 0, 64, 0, 64, 0, 0, 2, 4, 0xFF, 0xFF, 0xFF, 0xFF, 0})
                                                 .trailer()
                                                 .bytes;
    GifImage loops;
    loops.load(cyclic);
    EXPECT_EQ(loops.frameBitmap(0).width(), 64);
}

}  // namespace
}  // namespace mugwarp
