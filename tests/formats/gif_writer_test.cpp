#include <filesystem>
#include <map>
#include <random>

#include "formats/color_reduction.h"
#include "formats/gif_image.h"
#include "formats/gif_lzw.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

PlatformBitmap bitmapOf(const PixelSurface& s) { return s.toPlatformBitmap(); }

std::vector<std::uint8_t> writeSingleFrame(const PlatformBitmap& bitmap, PlatformColor transparent = kGifNoColor) {
    GifImage gif;
    gif.addFrameFromBitmap(bitmap);
    if (transparent != kGifNoColor) gif.setFrameTransparency(0, transparent);
    return gif.store();
}

// Pictures of at most 256 colours come back from both peers unchanged,
// whatever their size (1 x 1 up to pictures long enough for table resets).
TEST(GifWrite, PeersDecodeOurFilesPixelForPixel) {
    TempDir tmp;
    struct Case {
        int width, height, colours;
    };
    const Case cases[] = {{1, 1, 1}, {7, 3, 2}, {31, 17, 3}, {64, 64, 17}, {300, 200, 200}, {257, 129, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + std::to_string(c.colours));
        const PixelSurface picture = test::paletteSizedPicture(c.width, c.height, c.colours, 7);
        test::writeFile(tmp.path("ours.gif"), writeSingleFrame(bitmapOf(picture)));
        EXPECT_TRUE(test::sameRgb(test::imageMagickDecode(tmp.path("ours.gif"), tmp), test::rgbOf(picture)));
        EXPECT_TRUE(test::sameRgb(test::giflibDecode(tmp.path("ours.gif"), c.width, c.height, tmp), test::rgbOf(picture)));
        GifImage back;
        back.load(test::readFile(tmp.path("ours.gif")));
        EXPECT_FALSE(back.frames[0].corrupted);
        EXPECT_TRUE(test::sameRgb(test::rgbOf(loadGifPicture(tmp.path("ours.gif")).composite), test::rgbOf(picture)));
    }
    // Noise defeats the string table: it fills up and is cleared many times.
    std::mt19937 rng(3);
    PlatformBitmap noise(211, 157, 8);
    noise.palette().resize(256);
    for (int i = 0; i < 256; ++i) noise.palette()[std::size_t(i)] = PaletteEntry{std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7), 0};
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixelIndex(x, y, int(rng() % 256));
    test::writeFile(tmp.path("noise.gif"), writeSingleFrame(noise));
    EXPECT_TRUE(test::sameRgb(test::giflibDecode(tmp.path("noise.gif"), 211, 157, tmp), test::rgbOf(noise)));
    EXPECT_TRUE(test::sameRgb(test::imageMagickDecode(tmp.path("noise.gif"), tmp), test::rgbOf(noise)));
}

TEST(GifWrite, IndexedBitmapsKeepTheirDepth) {
    TempDir tmp;
    for (int depth : {1, 4}) {
        PlatformBitmap b(37, 11, depth);
        b.palette().assign(std::size_t(1) << depth, PaletteEntry{});
        for (std::size_t i = 0; i < b.palette().size(); ++i)
            b.palette()[i] = PaletteEntry{std::uint8_t(i * 16), std::uint8_t(200 - i * 9), std::uint8_t(i * 3 + 1), 0};
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 37; ++x) b.setPixelIndex(x, y, (x + y * 3) % (1 << depth));
        const auto bytes = writeSingleFrame(b);
        const std::size_t rasterAt = 13 + 3 * (std::size_t(1) << depth) + 10;
        EXPECT_EQ(bytes[rasterAt], depth == 1 ? 2 : 4) << "minimum code size";
        test::writeFile(tmp.path("d.gif"), bytes);
        EXPECT_TRUE(test::sameRgb(test::giflibDecode(tmp.path("d.gif"), 37, 11, tmp), test::rgbOf(b)));
    }
}

// Reads the code stream of a raster the way a decoder sizes its codes and
// returns the positions (in codes) of every clear code.
std::vector<int> clearCodePositions(const std::vector<std::uint8_t>& raster) {
    const int minSize = raster[0];
    std::vector<std::uint8_t> data;
    for (std::size_t p = 1; p < raster.size() && raster[p] != 0; p += raster[p] + 1u)
        data.insert(data.end(), raster.begin() + std::ptrdiff_t(p + 1), raster.begin() + std::ptrdiff_t(p + 1 + raster[p]));
    const int clear = 1 << minSize;
    int width = minSize + 1, nextFree = clear + 2, previous = -1;
    std::vector<int> clears;
    std::size_t bit = 0;
    for (int index = 0; bit + std::size_t(width) <= data.size() * 8; ++index) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            clears.push_back(index);
            width = minSize + 1;
            nextFree = clear + 2;
            previous = -1;
            continue;
        }
        if (code == clear + 1) break;
        if (previous >= 0 && nextFree < 4096 && ++nextFree == (1 << width) && width < 12) ++width;
        previous = code;
    }
    return clears;
}

TEST(GifWrite, TableRestartsAfterCode4093) {
    std::mt19937 rng(11);
    PlatformBitmap noise(120, 100, 8);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x) noise.setPixelIndex(x, y, int(rng() % 256));
    const auto raster = encodeLzw(noise, false);
    const auto clears = clearCodePositions(raster);
    ASSERT_GE(clears.size(), 2u);
    EXPECT_EQ(clears[0], 0);
    // Codes 258 to 4094 are assigned, one per code put; then the current code, then the clear.
    EXPECT_EQ(clears[1], 1 + (4094 - 258 + 1) + 1);
}

TEST(GifWrite, VersionAndGraphicControl) {
    const PixelSurface picture = test::paletteSizedPicture(5, 4, 3, 1);
    const auto plain = writeSingleFrame(bitmapOf(picture));
    EXPECT_EQ(std::string(plain.begin(), plain.begin() + 6), "GIF87a");
    EXPECT_EQ(plain[10], 0xF7);
    EXPECT_EQ(plain[13 + 768], ',') << "no extension before the image";

    const PlatformColor present = platformFromArgb(picture.pixel(0, 0));
    const auto keyed = writeSingleFrame(bitmapOf(picture), present);
    EXPECT_EQ(std::string(keyed.begin(), keyed.begin() + 6), "GIF89a");
    const std::size_t gce = 13 + 768;
    ASSERT_EQ(keyed[gce], 0x21);
    EXPECT_EQ(std::vector<std::uint8_t>(keyed.begin() + gce, keyed.begin() + gce + 8),
              (std::vector<std::uint8_t>{0x21, 0xF9, 0x04, 0x01, 0, 0, keyed[gce + 6], 0}));
    GifImage back;
    back.load(keyed);
    EXPECT_EQ(back.transparentColor(0), present);

    // A key colour that is not in the palette still gets the extension, flag clear.
    const auto absent = writeSingleFrame(bitmapOf(picture), 0x123456);
    EXPECT_EQ(absent[gce + 3], 0x00);
    back.load(absent);
    EXPECT_EQ(back.transparentColor(0), kGifNoColor);

    GifImage empty;
    EXPECT_THROW(empty.store(), Error);
    try {
        empty.store();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "No GIF Data to write");
    }
}

// The popularity reduction, written plainly: masked colours numbered in order
// of first appearance in a bottom-up scan, masks narrowed while more than
// 2049 remain, the 256 most frequent (earliest first among equals) kept.
std::vector<std::uint32_t> expectedPalette(const PixelSurface& picture) {
    std::uint8_t masks[3] = {255, 255, 255};  // red, green, blue
    for (;;) {
        std::map<std::uint32_t, std::pair<int, std::uint64_t>> seen;  // colour -> (order, count)
        for (int y = picture.height() - 1; y >= 0; --y)
            for (int x = 0; x < picture.width(); ++x) {
                const Argb p = picture.pixel(x, y);
                const std::uint32_t c = ((redOf(p) & masks[0]) << 16) | ((greenOf(p) & masks[1]) << 8) | (blueOf(p) & masks[2]);
                auto [it, added] = seen.try_emplace(c, int(seen.size()), 0);
                ++it->second.second;
            }
        if (seen.size() <= 2049) {
            std::vector<std::tuple<std::uint64_t, int, std::uint32_t>> order;
            for (auto& [c, v] : seen) order.emplace_back(v.second, -v.first, c);
            std::sort(order.rbegin(), order.rend());
            std::vector<std::uint32_t> palette;
            for (std::size_t i = 0; i < order.size() && i < 256; ++i) palette.push_back(std::get<2>(order[i]));
            return palette;
        }
        if (masks[1] > masks[0]) masks[1] = std::uint8_t(masks[1] << 1);
        else if (masks[0] > masks[2]) masks[0] = std::uint8_t(masks[0] << 1);
        else masks[2] = std::uint8_t(masks[2] << 1);
    }
}

std::vector<std::uint32_t> paletteOf(const PlatformBitmap& b) {
    std::vector<std::uint32_t> out;
    for (const PaletteEntry& e : b.palette()) out.push_back((std::uint32_t(e.red) << 16) | (std::uint32_t(e.green) << 8) | e.blue);
    return out;
}

TEST(ColorReduction, PhotographGetsThePopularityPalette) {
    TempDir tmp;
    const PixelSurface photo = test::samplePhoto();
    const PlatformBitmap reduced = reduceColors(bitmapOf(photo));
    EXPECT_EQ(paletteOf(reduced), expectedPalette(photo));

    // The save reduces twice (the second time to put the key back exactly);
    // the file's table is the popularity palette of the once-reduced picture.
    savePicture(photo, tmp.path("photo.gif"), kDefaultKeyColor);
    const auto bytes = test::readFile(tmp.path("photo.gif"));
    ASSERT_GE(bytes.size(), 13u + 768);
    std::vector<std::uint32_t> table;
    for (int i = 0; i < 256; ++i)
        table.push_back((std::uint32_t(bytes[13 + 3 * i]) << 16) | (std::uint32_t(bytes[14 + 3 * i]) << 8) | bytes[15 + 3 * i]);
    PixelSurface once;
    once.assign(reduced);
    const auto secondPass = expectedPalette(once);
    ASSERT_LE(secondPass.size(), 256u);
    EXPECT_EQ(std::vector<std::uint32_t>(table.begin(), table.begin() + std::ptrdiff_t(secondPass.size())), secondPass);
    // Both peers see exactly the reduced picture.
    EXPECT_TRUE(test::sameRgb(test::imageMagickDecode(tmp.path("photo.gif"), tmp), test::rgbOf(reduced)));
    EXPECT_TRUE(test::sameRgb(test::giflibDecode(tmp.path("photo.gif"), 512, 512, tmp), test::rgbOf(reduced)));
}

TEST(ColorReduction, MasksDropBlueThenRedThenGreen) {
    // 8192 colours: 16 reds, 16 greens, 32 blues. Dropping the lowest blue bit
    // leaves 4096, then the lowest red bit 2048, which fit the histogram.
    PixelSurface picture(128, 64);
    for (int i = 0; i < 8192; ++i)
        picture.setPixel(i % 128, i / 128, makeArgb(255, std::uint8_t(i & 15), std::uint8_t((i >> 4) & 15), std::uint8_t(i >> 8)));
    const PlatformBitmap reduced = reduceColors(bitmapOf(picture));
    bool oddGreen = false;
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = reduced.palette()[std::size_t(i)];
        EXPECT_EQ(e.blue & 1, 0);
        EXPECT_EQ(e.red & 1, 0);
        oddGreen = oddGreen || (e.green & 1);
    }
    EXPECT_TRUE(oddGreen);
    EXPECT_EQ(paletteOf(reduced), expectedPalette(picture));
}

TEST(ColorReduction, TiesGoToTheColourMetFirstFromTheBottom) {
    PixelSurface picture(2, 2);
    picture.setPixel(0, 0, 0xFF0000FF);  // top row
    picture.setPixel(1, 0, 0xFF0000FF);
    picture.setPixel(0, 1, 0xFFFF0000);  // bottom row, met first
    picture.setPixel(1, 1, 0xFFFF0000);
    const PlatformBitmap reduced = reduceColors(bitmapOf(picture));
    EXPECT_EQ(reduced.palette()[0], (PaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ(reduced.palette()[1], (PaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(reduced.palette()[2], (PaletteEntry{128, 128, 128, 0}));
    EXPECT_EQ(reduced.pixelIndex(0, 0), 1);
    EXPECT_EQ(reduced.pixelIndex(0, 1), 0);
}

}  // namespace
}  // namespace mugwarp
