#include <string>

#include "formats/file_io.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"
#include "formats/png_codec.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

bool haveImageMagick() { return test::toolAvailable("/usr/bin/convert"); }

// ImageMagick's alpha of a file as a grey picture (255 where opaque).
test::RgbImage imageMagickAlpha(const std::string& file, const TempDir& tmp) {
    if (test::run("/usr/bin/convert '" + file + "' -alpha extract -depth 8 " + tmp.path("alpha.pgm")) != 0) return {};
    return test::readPnm(tmp.path("alpha.pgm"));
}

// Largest difference of red, green and blue against a peer's decode (16-bit
// samples are rounded to 8 bits by both, possibly to the other neighbour).
int largestDifference(const PlatformBitmap& ours, const test::RgbImage& peer) {
    if (ours.width() != peer.width || ours.height() != peer.height) return 256;
    int worst = 0;
    for (int y = 0; y < peer.height; ++y)
        for (int x = 0; x < peer.width; ++x)
            for (int shift : {0, 8, 16}) {
                const int d = int((ours.pixelArgb(x, y) >> shift) & 0xFF) -
                              int((peer.pixels[std::size_t(y) * peer.width + x] >> shift) & 0xFF);
                worst = std::max(worst, std::abs(d));
            }
    return worst;
}

struct PngCase {
    const char* name;
    const char* options;  // ImageMagick options that make this kind of PNG
    bool alpha;
    const char* writer = "PNG";  // ImageMagick's PNG8 writes a palette with tRNS
};

// Every colour type and bit depth, made by ImageMagick from one picture with
// a transparent corner, read by us and by ImageMagick, the same colours and
// the same alpha.
TEST(PngRead, EveryColourTypeAndDepthMatchesImageMagick) {
    if (!haveImageMagick()) GTEST_SKIP() << "no ImageMagick";
    TempDir tmp;
    ASSERT_EQ(test::run("/usr/bin/convert -size 37x23 gradient:'#ff2000'-'#0030ff' \\( -size 37x23 gradient:white-black "
                        "-rotate 90 -resize 37x23! \\) -compose copy_opacity -composite " + tmp.path("source.png")), 0);
    const PngCase cases[] = {
        {"grey1", "-alpha off -colorspace gray -depth 1 -define png:color-type=0 -define png:bit-depth=1", false},
        {"grey2", "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=2", false},
        {"grey4", "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=4", false},
        {"grey8", "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=8", false},
        {"grey16", "-alpha off -colorspace gray -depth 16 -define png:color-type=0 -define png:bit-depth=16", false},
        {"greyalpha8", "-colorspace gray -define png:color-type=4 -define png:bit-depth=8", true},
        {"greyalpha16", "-colorspace gray -depth 16 -define png:color-type=4 -define png:bit-depth=16", true},
        {"palette1", "-alpha off -colors 2 -define png:color-type=3 -define png:bit-depth=1", false},
        {"palette4", "-alpha off -colors 12 -define png:color-type=3 -define png:bit-depth=4", false},
        {"palette8", "-alpha off -colors 200 -define png:color-type=3 -define png:bit-depth=8", false},
        {"palette-trns", "", true, "PNG8"},
        {"rgb8", "-alpha off -define png:color-type=2 -define png:bit-depth=8", false},
        {"rgb16", "-alpha off -depth 16 -define png:color-type=2 -define png:bit-depth=16", false},
        {"rgba8", "-define png:color-type=6 -define png:bit-depth=8", true},
        {"rgba16", "-depth 16 -define png:color-type=6 -define png:bit-depth=16", true},
    };
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = tmp.path(std::string(c.name) + ".png");
        ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("source.png") + " " + c.options + " " + c.writer + ":" + file), 0);
        const DecodedImage ours = decodePng(test::readFile(file));
        EXPECT_EQ(ours.hasAlpha, c.alpha);
        EXPECT_LE(largestDifference(ours.bitmap, test::imageMagickDecode(file, tmp)), 1);
        if (!c.alpha) continue;
        const test::RgbImage alpha = imageMagickAlpha(file, tmp);
        ASSERT_EQ(alpha.width, ours.bitmap.width());
        int worst = 0;
        for (int y = 0; y < alpha.height; ++y)
            for (int x = 0; x < alpha.width; ++x)
                worst = std::max(worst, std::abs(int(ours.bitmap.pixelArgb(x, y) >> 24) -
                                                 int(alpha.pixels[std::size_t(y) * alpha.width + x] & 0xFF)));
        EXPECT_LE(worst, 1);
    }
}

// Adam7 reorders rows and columns on the way in; the picture must not change.
TEST(PngRead, InterlacedEqualsItsPlainTwin) {
    if (!haveImageMagick()) GTEST_SKIP() << "no ImageMagick";
    TempDir tmp;
    for (const char* type : {"2", "6", "0"}) {
        SCOPED_TRACE(type);
        const std::string opts = std::string(" -define png:color-type=") + type + " ";
        ASSERT_EQ(test::run("/usr/bin/convert -size 29x17 plasma:fractal -seed 4" + opts + "PNG:" + tmp.path("plain.png")), 0);
        ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("plain.png") + " -interlace PNG" + opts + "PNG:" + tmp.path("adam7.png")), 0);
        const auto plain = decodePng(test::readFile(tmp.path("plain.png")));
        const auto adam7 = decodePng(test::readFile(tmp.path("adam7.png")));
        ASSERT_NE(test::readFile(tmp.path("plain.png")), test::readFile(tmp.path("adam7.png")));
        ASSERT_EQ(plain.bitmap.width(), adam7.bitmap.width());
        for (int y = 0; y < plain.bitmap.height(); ++y)
            for (int x = 0; x < plain.bitmap.width(); ++x)
                ASSERT_EQ(plain.bitmap.pixelArgb(x, y), adam7.bitmap.pixelArgb(x, y)) << x << "," << y;
    }
}

// Our writer: opaque pictures as RGB, pictures with transparent places as
// RGBA; both read back the same by us and by ImageMagick.
TEST(PngWrite, RoundTripsThroughImageMagick) {
    if (!haveImageMagick()) GTEST_SKIP() << "no ImageMagick";
    TempDir tmp;
    PixelSurface picture = test::gradientPicture(41, 27);
    savePicture(picture, tmp.path("opaque.png"), kDefaultKeyColor);
    EXPECT_EQ(test::capture("/usr/bin/identify -format '%[channels] %[colorspace]' " + tmp.path("opaque.png")), "srgb sRGB");
    EXPECT_TRUE(test::sameRgb(test::imageMagickDecode(tmp.path("opaque.png"), tmp), test::rgbOf(picture)));
    for (int x = 0; x < 10; ++x) picture.row(3)[x] &= 0x00FFFFFF;  // erased places
    savePicture(picture, tmp.path("erased.png"), kDefaultKeyColor);
    EXPECT_EQ(test::capture("/usr/bin/identify -format '%[channels]' " + tmp.path("erased.png")), "srgba");
    const DecodedImage back = decodePng(test::readFile(tmp.path("erased.png")));
    ASSERT_TRUE(back.hasAlpha);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) ASSERT_EQ(back.bitmap.pixelArgb(x, y), picture.row(y)[x]);
}

// Damage is refused with the file's name and what is wrong, and a document
// keeps its picture (the loader returns nothing half made).
TEST(PngRead, DamagedFilesAreRefusedInWords) {
    TempDir tmp;
    const std::vector<std::uint8_t> good = encodePng(test::gradientPicture(20, 20));
    std::vector<std::uint8_t> badCrc = good;
    badCrc[29] ^= 0x01;  // inside IHDR's checksum
    std::vector<std::uint8_t> badData = good;
    badData[good.size() - 20] ^= 0x5A;  // inside the compressed pixels
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* says;
    } cases[] = {
        {"checksum", badCrc, "Cannot open broken.png: PNG data damaged: a checksum does not match (IHDR chunk)"},
        {"cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 60),
         "Cannot open broken.png: PNG data damaged: the file ends before the picture does"},
        {"signature only", std::vector<std::uint8_t>(good.begin(), good.begin() + 8),
         "Cannot open broken.png: PNG data damaged: the file ends before the picture does"},
        {"data", badData, "Cannot open broken.png: PNG data damaged: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::writeFile(tmp.path("broken.png"), c.bytes);
        try {
            (void)loadPicture(tmp.path("broken.png"));
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.says, 0), 0u) << e.what();
        }
    }
}

// A size claimed in the header is checked before anything is allocated.
TEST(PngRead, HugeClaimedSizeIsRefused) {
    std::vector<std::uint8_t> png = encodePng(test::gradientPicture(2, 2));
    // IHDR width and height become 60000 x 60000 (3.6 gigapixels) with a fixed checksum.
    for (int i : {16, 20}) {
        png[i] = 0;
        png[i + 1] = 0;
        png[i + 2] = 0xEA;
        png[i + 3] = 0x60;
    }
    png[24] = 8;
    test::TempDir tmp;
    test::writeFile(tmp.path("ihdr.bin"), std::vector<std::uint8_t>(png.begin() + 12, png.begin() + 29));
    const std::string crc = test::capture("python3 -c \"import zlib,sys;print(zlib.crc32(open(sys.argv[1],'rb').read()))\" " +
                                          tmp.path("ihdr.bin"));
    const std::uint32_t c = std::uint32_t(std::stoul(crc));
    for (int k = 0; k < 4; ++k) png[29 + k] = std::uint8_t(c >> (8 * (3 - k)));
    try {
        (void)decodePng(png);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "PNG image is too large (60000 x 60000 pixels)");
    }
}

// Opened as the picture, transparent places lie on the outer colour; opened
// as an overlay, half opacity is the line between drawn and see-through.
TEST(PngRead, TransparencyAsPictureAndAsOverlay) {
    PixelSurface s(4, 1);
    s.row(0)[0] = 0xFF102030;  // opaque
    s.row(0)[1] = 0x80102030;  // just half: drawn
    s.row(0)[2] = 0x7F102030;  // just under half: see-through
    s.row(0)[3] = 0x00102030;  // transparent
    PictureFile file = decodePictureFile(encodePng(s), "a.png");
    ASSERT_TRUE(file.hasAlpha);
    PlatformBitmap overlay = file.bitmap;
    const PlatformBitmap flat = flattenOnto(std::move(file), kPictureOuterColor);
    EXPECT_EQ(flat.pixelArgb(0, 0), 0xFF102030u);
    EXPECT_EQ(flat.pixelArgb(3, 0), 0xFFFDFEFFu);
    EXPECT_EQ(flat.pixelArgb(1, 0), 0xFF868F97u);  // half way from (10,20,30) to (FD,FE,FF), rounded
    EXPECT_TRUE(thresholdAlpha(overlay));
    EXPECT_EQ(overlay.pixelArgb(1, 0) >> 24, 255u);
    EXPECT_EQ(overlay.pixelArgb(2, 0) >> 24, 0u);
}

}  // namespace
}  // namespace mugwarp
