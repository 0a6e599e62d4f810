#include <filesystem>

#include "formats/bmp_codec.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

void put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A hand-made BMP: info header of headerSize bytes (40, 108 or 124), optional
// masks after a 40-byte header, palette, then the pixel bytes as given.
struct BmpSpec {
    std::int32_t width = 0, height = 0;
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::vector<std::uint32_t> masks;  // written after a 40-byte header, or inside a larger one
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint8_t> pixels;
};

std::vector<std::uint8_t> buildBmp(const BmpSpec& s) {
    std::vector<std::uint8_t> header;
    put32(header, s.headerSize);
    put32(header, std::uint32_t(s.width));
    put32(header, std::uint32_t(s.height));
    put16(header, 1);
    put16(header, std::uint32_t(s.bits));
    put32(header, s.compression);
    put32(header, std::uint32_t(s.pixels.size()));
    put32(header, 2835);
    put32(header, 2835);
    put32(header, s.colorsUsed);
    put32(header, 0);
    if (s.headerSize > 40) {
        for (std::size_t i = 0; i < 4; ++i) put32(header, i < s.masks.size() ? s.masks[i] : 0);
        header.resize(s.headerSize, 0);
    } else {
        for (std::uint32_t m : s.masks) put32(header, m);
    }
    for (std::uint32_t c : s.palette) put32(header, c);
    std::vector<std::uint8_t> file = {'B', 'M'};
    put32(file, std::uint32_t(14 + header.size() + s.pixels.size()));
    put32(file, 0);
    put32(file, std::uint32_t(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

std::string errorOf(std::span<const std::uint8_t> bytes) {
    try {
        decodeBmp(bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

TEST(BmpWrite, ThirtyTwoBitsUncompressedOpensInImageMagick) {
    TempDir tmp;
    PixelSurface picture = test::gradientPicture(33, 17);
    savePicture(picture, tmp.path("out.bmp"), kDefaultKeyColor);
    const auto bytes = test::readFile(tmp.path("out.bmp"));
    ASSERT_EQ(bytes.size(), 54u + 33 * 17 * 4);
    EXPECT_EQ(bytes[28], 32);  // bits per pixel
    EXPECT_EQ(bytes[30], 0);   // uncompressed
    EXPECT_TRUE(test::sameRgb(test::imageMagickDecode(tmp.path("out.bmp"), tmp), test::rgbOf(picture)));
    EXPECT_TRUE(test::sameRgb(test::rgbOf(loadPicture(tmp.path("out.bmp"))), test::rgbOf(picture)));
}

TEST(BmpWrite, KeepsAlphaInTheFourthByte) {
    PixelSurface picture(2, 1);
    picture.setPixel(0, 0, 0x00FDFEFF);
    picture.setPixel(1, 0, 0x80102030);
    const auto bytes = encodeBmp(picture);
    const std::vector<std::uint8_t> pixels(bytes.begin() + 54, bytes.end());
    EXPECT_EQ(pixels, (std::vector<std::uint8_t>{0xFF, 0xFE, 0xFD, 0x00, 0x30, 0x20, 0x10, 0x80}));
    // Read back with its transparency, so erased areas survive a save as BMP.
    const PlatformBitmap back = decodeBmp(bytes);
    EXPECT_EQ(back.pixelArgb(0, 0), 0x00FDFEFFu);
    EXPECT_EQ(back.pixelArgb(1, 0), 0x80102030u);
}

// Many writers leave the fourth byte of 32-bit pixels 0: such a picture is opaque.
TEST(BmpRead, ThirtyTwoBitsWithoutAnyAlphaAreOpaque) {
    PixelSurface picture(2, 2);
    for (int i = 0; i < 4; ++i) picture.setPixel(i % 2, i / 2, 0x00102030u + Argb(i));
    const PlatformBitmap back = decodeBmp(encodeBmp(picture));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back.pixelArgb(i % 2, i / 2), 0xFF102030u + Argb(i));
}

TEST(BmpRead, AlphaBitFieldsWrittenByImageMagick) {
    TempDir tmp;
    ASSERT_EQ(test::run("/usr/bin/convert -size 3x2 xc:'rgba(200,100,50,0.5)' -define bmp:format=bmp4 " +
                        tmp.path("half.bmp")),
              0);
    const PlatformBitmap back = decodeBmp(test::readFile(tmp.path("half.bmp")));
    ASSERT_EQ(back.width(), 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const Argb c = back.pixelArgb(x, y);
            EXPECT_NEAR(alphaOf(c), 128, 1);
            EXPECT_EQ(c & 0xFFFFFF, 0xC86432u);
        }
}

// Every BMP flavour ImageMagick writes decodes to the pixels ImageMagick reads.
TEST(BmpRead, VariantsWrittenByImageMagick) {
    TempDir tmp;
    test::writePpm(tmp.path("photo.ppm"), test::samplePhoto());
    struct Variant {
        const char* name;
        const char* options;
    };
    const Variant variants[] = {
        {"24-bit v3", "BMP3:"},
        {"24-bit core header", "BMP2:"},
        {"24-bit v5", "-define bmp:format=bmp4 BMP:"},
        {"8-bit palette", "-colors 200 -type palette BMP3:"},
        {"8-bit core header", "-colors 200 -type palette BMP2:"},
        {"8-bit RLE", "-colors 200 -type palette -compress RLE BMP3:"},
        {"4-bit palette", "-colors 12 -type palette BMP3:"},
        {"1-bit", "-monochrome BMP3:"},
        {"16-bit 565 bit fields", "-define bmp:subtype=RGB565 BMP:"},
        {"16-bit 555", "-define bmp:subtype=RGB555 BMP:"},
        {"32-bit with alpha", "-alpha set BMP:"},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string out = tmp.path("v.bmp");
        ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("photo.ppm") + " " + v.options + out), 0);
        const auto reference = test::imageMagickDecode(out, tmp);
        ASSERT_FALSE(reference.pixels.empty());
        const PlatformBitmap ours = loadPicture(out);
        EXPECT_TRUE(test::sameRgb(test::rgbOf(ours), reference));
    }
}

TEST(BmpRead, TopDownRowsAndPadding) {
    BmpSpec s;
    s.width = 3;
    s.height = -2;
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,   // top row, padded to 12 bytes
                10, 11, 12, 13, 14, 15, 16, 17, 18};  // last row without its padding
    const PlatformBitmap b = decodeBmp(buildBmp(s));
    ASSERT_EQ(b.height(), 2);
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFF030201u);
    EXPECT_EQ(b.pixelArgb(2, 1), 0xFF121110u);
}

TEST(BmpRead, ShortPaletteReadsBlackBeyondIt) {
    BmpSpec s;
    s.width = 4;
    s.height = 1;
    s.bits = 8;
    s.colorsUsed = 2;
    s.palette = {0x00FF0000, 0x0000FF00};
    s.pixels = {0, 1, 2, 255};
    const PlatformBitmap b = decodeBmp(buildBmp(s));
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFFFF0000u);
    EXPECT_EQ(b.pixelArgb(1, 0), 0xFF00FF00u);
    EXPECT_EQ(b.pixelArgb(2, 0), 0xFF000000u);
    EXPECT_EQ(b.pixelArgb(3, 0), 0xFF000000u);
}

TEST(BmpRead, BitFieldsInAndAfterTheHeader) {
    // 10-10-10 fields in a 32-bit pixel, masks after a v3 header.
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bits = 32;
    s.compression = 3;
    s.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    s.pixels.clear();
    put32(s.pixels, (1023u << 20) | (512u << 10) | 0u);
    put32(s.pixels, (0u << 20) | (4u << 10) | 1023u);
    PlatformBitmap b = decodeBmp(buildBmp(s));
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFFFF8000u);
    EXPECT_EQ(b.pixelArgb(1, 0), 0xFF0001FFu);
    // 4-4-4 fields of a 16-bit pixel inside a v4 header, widened to 8 bits.
    BmpSpec t;
    t.width = 1;
    t.height = 1;
    t.bits = 16;
    t.compression = 3;
    t.headerSize = 108;
    t.masks = {0x0F00, 0x00F0, 0x000F};
    t.pixels = {0x5F, 0x0A, 0, 0};  // red 0xA, green 0x5, blue 0xF
    b = decodeBmp(buildBmp(t));
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFFAA55FFu);
    // Default 16-bit layout is 5-5-5.
    BmpSpec u;
    u.width = 1;
    u.height = 1;
    u.bits = 16;
    u.pixels = {0x1F, 0x7C, 0, 0};  // red 31, green 0, blue 31
    EXPECT_EQ(decodeBmp(buildBmp(u)).pixelArgb(0, 0), 0xFFFF00FFu);
}

TEST(BmpRead, Rle4WithDeltaAndAbsoluteRuns) {
    BmpSpec s;
    s.width = 6;
    s.height = 2;
    s.bits = 4;
    s.compression = 2;
    s.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // Bottom row: run of 3 alternating 1,2; absolute 3 pixels 3,1,2; end of line.
    // Top row: delta right by 2, run of 2 of colour 3, end of bitmap.
    s.pixels = {3, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 2, 2, 0, 2, 0x33, 0, 1};
    const PlatformBitmap b = decodeBmp(buildBmp(s));
    const Argb black = 0xFF000000u, red = 0xFFFF0000u, green = 0xFF00FF00u, blue = 0xFF0000FFu;
    const Argb bottom[6] = {red, green, red, blue, red, green};
    const Argb top[6] = {black, black, blue, blue, black, black};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(b.pixelArgb(x, 1), bottom[x]) << x;
        EXPECT_EQ(b.pixelArgb(x, 0), top[x]) << x;
    }
}

TEST(BmpRead, DamagedAndHostileHeadersAreRefused) {
    BmpSpec s;
    s.width = 4;
    s.height = 4;
    s.pixels.assign(48, 0x80);
    const auto good = buildBmp(s);
    ASSERT_EQ(errorOf(good), "");

    auto mutated = [&](std::size_t at, std::uint32_t value) {
        auto b = good;
        for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
        return b;
    };
    const std::string invalid = "Bitmap image is not valid";
    EXPECT_EQ(errorOf(std::vector<std::uint8_t>{}).rfind(invalid, 0), 0u);
    EXPECT_EQ(errorOf(std::vector<std::uint8_t>(good.begin(), good.begin() + 30)).rfind(invalid, 0), 0u);
    EXPECT_EQ(errorOf(std::vector<std::uint8_t>(good.begin(), good.end() - 5)), invalid + " (truncated pixel data)");
    EXPECT_EQ(errorOf(mutated(10, 0xFFFFFFF0)), invalid + " (bad pixel data offset)");
    EXPECT_EQ(errorOf(mutated(10, 4)), invalid + " (bad pixel data offset)");
    EXPECT_EQ(errorOf(mutated(14, 0x7FFFFFFF)), invalid + " (bad header size)");
    EXPECT_EQ(errorOf(mutated(18, 0x7FFFFFFF)), "Bitmap image is too large (2147483647 x 4 pixels)");
    EXPECT_EQ(errorOf(mutated(22, 0x80000000)), "Bitmap image is too large (4 x 2147483648 pixels)");
    EXPECT_EQ(errorOf(mutated(18, 60000)), invalid + " (truncated pixel data)");
    EXPECT_EQ(errorOf(mutated(18, 0)), invalid + " (empty picture)");
    EXPECT_EQ(errorOf(mutated(30, 4)), invalid + " (embedded JPEG or PNG data is not supported)");
    EXPECT_EQ(errorOf(mutated(30, 1)), invalid + " (RLE8 needs 8 bits per pixel)");
    EXPECT_EQ(errorOf(mutated(30, 77)), invalid + " (unknown compression)");
}

TEST(BmpRead, RunLengthDataCannotWriteOutsideThePicture) {
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    s.bits = 8;
    s.compression = 1;
    s.palette = {0x000000, 0xFFFFFF};
    // A run far longer than the row, a delta far beyond the picture, then nothing.
    s.pixels = {200, 1, 0, 2, 250, 250, 0, 1};
    const PlatformBitmap b = decodeBmp(buildBmp(s));
    EXPECT_EQ(b.pixelArgb(0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(b.pixelArgb(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFF000000u);
    s.pixels = {2, 1, 0, 0, 2};  // cut inside the data
    EXPECT_EQ(errorOf(buildBmp(s)), "Bitmap image is not valid (truncated RLE data)");
}

}  // namespace
}  // namespace mugwarp
