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

std::vector<int> indicesOf(const PlatformBitmap& b) {
    std::vector<int> v;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) v.push_back(b.pixelIndex(x, y));
    return v;
}

// Our pixels of the file equal giflib's decode of the same bytes.
void expectGiflibPixels(const std::vector<std::uint8_t>& bytes, int width, int height) {
    TempDir tmp;
    test::writeFile(tmp.path("t.gif"), bytes);
    const auto theirs = test::giflibDecode(tmp.path("t.gif"), width, height, tmp);
    ASSERT_FALSE(theirs.pixels.empty()) << "giflib refused the file";
    EXPECT_TRUE(test::sameRgb(test::rgbOf(loadGifPicture(tmp.path("t.gif")).composite), theirs));
}

// Hand-made code streams that encoders rarely write but other decoders read.
TEST(GifRead, UnusualCodeStreams) {
    struct Case {
        const char* name;
        int minSize, tableBits;
        std::vector<int> codes, expected;
    };
    const Case cases[] = {
        {"two clears at the start", 2, 2, {4, 4, 1, 2, 6, 5}, {1, 2, 1, 2}},
        {"many clears between codes", 2, 2, {4, 1, 4, 4, 2, 3, 6, 4, 4, 4, 0, 5}, {1, 2, 3, 2, 3, 0}},
        {"no leading clear", 2, 2, {1, 2, 6, 5}, {1, 2, 1, 2}},
        {"no leading clear, 8 bits", 8, 8, {200, 7, 258, 259, 257}, {200, 7, 200, 7, 7, 200}},
        {"code size 6 under 128 colours", 6, 7, {64, 10, 20, 66, 68, 65}, {10, 20, 10, 20, 10, 20, 10}},
        {"code size 2 under 256 colours", 2, 8, {4, 3, 1, 6, 5}, {3, 1, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int width = int(c.expected.size());
        const auto bytes =
            GifBuilder().screen(width, 1, c.tableBits).imageRaster(width, 1, test::lzwRaster(c.minSize, c.codes)).trailer().bytes;
        GifImage gif;
        gif.load(bytes);
        EXPECT_FALSE(gif.frames[0].corrupted);
        EXPECT_EQ(indicesOf(gif.frameBitmap(0)), c.expected);
        expectGiflibPixels(bytes, width, 1);
    }
    // A clear code followed by the end code ends the frame there.
    GifImage ended;
    ended.load(GifBuilder().screen(4, 1, 2).imageRaster(4, 1, test::lzwRaster(2, {4, 1, 2, 4, 5, 3})).trailer().bytes);
    EXPECT_EQ(indicesOf(ended.frameBitmap(0)), (std::vector<int>{1, 2, 0, 0}));
}

TEST(GifRead, UnknownExtensionsArePassedOver) {
    const auto bitmap = test::indexedBitmap(8, 6, 8, [](int x, int y) { return (x + 3 * y) % 8; });
    const auto bytes = GifBuilder()
                           .screen(8, 6, 3)
                           .control(1, 0, 5)
                           .raw({'!', 0x3A, 3, 'a', 'b', 'c', 2, 1, 2, 0})
                           .image(bitmap)
                           .raw({'!', 0x99, 0})
                           .trailer()
                           .bytes;
    GifImage gif;
    gif.load(bytes);
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_EQ(indicesOf(gif.frameBitmap(0)), indicesOf(bitmap));
    EXPECT_EQ(gif.transparentColor(0), GifBuilder::entryColor(5));
    expectGiflibPixels(bytes, 8, 6);
}

// A file cut inside a data sub-block keeps the pixels its bytes hold.
TEST(GifRead, CutSubBlockDecodesWhatIsThere) {
    const auto bitmap = test::indexedBitmap(60, 40, 8, [](int x, int y) { return 1 + int((x * 2654435761u + y * 40503u) >> 9) % 7; });
    const auto good = GifBuilder().screen(60, 40, 3).image(bitmap).trailer().bytes;
    const std::size_t secondBlock = 6 + 7 + 24 + 10 + 1 + 256;
    ASSERT_EQ(good[secondBlock - 256], 255);
    ASSERT_GT(good.size(), secondBlock + 200);
    // How many pixels come out right before the rest reads index 0.
    auto decodedPrefix = [&](std::size_t keep) {
        GifImage gif;
        gif.load(std::vector<std::uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(keep)));
        EXPECT_TRUE(gif.frames[0].corrupted);
        const auto got = indicesOf(gif.frameBitmap(0));
        const auto want = indicesOf(bitmap);
        std::size_t n = 0;
        while (n < got.size() && got[n] == want[n]) ++n;
        for (std::size_t i = n; i < got.size(); ++i) EXPECT_EQ(got[i], 0) << i;
        return n;
    };
    const std::size_t firstBlockOnly = decodedPrefix(secondBlock + 1);
    EXPECT_GT(firstBlockOnly, 0u);
    EXPECT_GT(decodedPrefix(secondBlock + 1 + 150), firstBlockOnly + 100);
}

}  // namespace
}  // namespace mugwarp
