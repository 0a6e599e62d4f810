#include <string>

#include "formats/exif_block.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_file.h"
#include "formats/webp_codec.h"
#include "support/exif_builder.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

// Flat 16 x 16 blocks (chroma is kept at half resolution) of clearly different colours: JPEG keeps them nearly
// exact, and any wrong turn or mirror moves a block to a wrong place.
PixelSurface blockPicture(int blocksX, int blocksY) {
    PixelSurface s(blocksX * 16, blocksY * 16);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const int b = (y / 16) * blocksX + x / 16;
            s.row(y)[x] = 0xFF000000u | Argb((b * 53) % 256) << 16 | Argb((b * 97 + 40) % 256) << 8 | Argb((b * 31 + 90) % 256);
        }
    return s;
}

PixelSurface surfaceOf(const test::RgbImage& img) {
    PixelSurface s(img.width, img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) s.row(y)[x] = img.pixels[std::size_t(y) * img.width + x];
    return s;
}

// centresOnly: the middle of each block, away from the edges where the
// decoder's smooth chroma upsampling blends neighbouring blocks.
int largestDifference(const PlatformBitmap& a, const PixelSurface& b, bool centresOnly = false) {
    if (a.width() != b.width() || a.height() != b.height()) return 256;
    int worst = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (!centresOnly || (x % 16 >= 4 && x % 16 < 12 && y % 16 >= 4 && y % 16 < 12))
            for (int shift : {0, 8, 16}) {
                const int d = int((a.pixelArgb(x, y) >> shift) & 0xFF) - int((b.row(y)[x] >> shift) & 0xFF);
                worst = std::max(worst, std::abs(d));
            }
    return worst;
}

struct Case {
    int orientation;
    const char* storedBy;  // ImageMagick's operation that makes the stored picture from the upright one
};

// Each orientation as a camera stores it (made by an independent program
// from the upright picture, then tagged by us): opened, it is the upright
// picture again, exactly for lossless WebP and within JPEG's rounding.
TEST(Orientation, EveryOrientationOpensUpright) {
    if (!test::toolAvailable("/usr/bin/convert")) GTEST_SKIP() << "no ImageMagick";
    TempDir tmp;
    const PixelSurface upright = blockPicture(6, 4);
    test::writePpm(tmp.path("upright.ppm"), upright);
    const Case cases[] = {{1, ""},           {2, "-flop"},       {3, "-rotate 180"}, {4, "-flip"},
                          {5, "-transpose"}, {6, "-rotate 270"}, {7, "-transverse"}, {8, "-rotate 90"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("upright.ppm") + " " + c.storedBy + " " + tmp.path("stored.ppm")), 0);
        const PixelSurface stored = surfaceOf(test::readPnm(tmp.path("stored.ppm")));
        test::ExifFields fields;
        fields.orientation = c.orientation;
        fields.make = "Phone";

        WebpExtras webp;
        webp.lossless = true;
        webp.info.exif = test::exifBlock(fields);
        const PictureFile fromWebp = decodePictureFile(encodeWebp(stored, webp), "photo.webp");
        EXPECT_EQ(fromWebp.declaredOrientation, c.orientation);
        EXPECT_EQ(largestDifference(fromWebp.bitmap, upright), 0);

        JpegExtras jpeg;
        jpeg.quality = 100;
        jpeg.info.exif = webp.info.exif;
        const PictureFile fromJpeg = decodePictureFile(encodeJpeg(stored, jpeg), "photo.jpg");
        EXPECT_EQ(fromJpeg.declaredOrientation, c.orientation);
        EXPECT_LE(largestDifference(fromJpeg.bitmap, upright, true), 6);
    }
}

// The block read back from a save: camera and date stay byte for byte, the
// orientation and the thumbnail are gone (also their bytes).
TEST(Orientation, SavedExifLosesOrientationAndThumbnailOnly) {
    test::ExifFields fields{"Camera Maker", "Model 7", "2024:05:06 07:08:09", "(c) Someone", 6, {0xFF, 0xD8, 0x11, 0x22, 0x33, 0xFF, 0xD9}};
    const auto block = test::exifBlock(fields);
    ASSERT_EQ(exifOrientation(block), 6);
    const auto saved = exifForSaving(block);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(exifOrientation(saved), 0);
    fields.orientation = 0;
    fields.thumbnail.clear();
    // The same block as one written without orientation or thumbnail, apart
    // from where the strings lie (12 bytes fewer entries before them).
    const std::string text(saved.begin(), saved.end());
    for (const std::string& s : {fields.make, fields.model, fields.date, fields.copyright})
        EXPECT_NE(text.find(s), std::string::npos) << s;
    EXPECT_EQ(text.find(std::string("\x11\x22\x33", 3)), std::string::npos) << "thumbnail bytes left";
}

// Hostile and odd blocks: never a crash, never a made-up orientation.
TEST(Orientation, DamagedExifBlocksReadAsNoOrientation) {
    test::ExifFields fields;
    fields.orientation = 6;
    fields.make = "Phone";
    const auto good = test::exifBlock(fields);
    std::vector<std::uint8_t> badOffset = good;
    badOffset[4] = 0xF0;  // first directory far past the end
    std::vector<std::uint8_t> hugeCount = good;
    hugeCount[8] = 0xFF;
    hugeCount[9] = 0xFF;
    fields.orientation = 9;
    const struct {
        const char* what;
        std::vector<std::uint8_t> block;
    } cases[] = {
        {"empty", {}},
        {"no TIFF header", {'X', 'X', 42, 0, 8, 0, 0, 0}},
        {"cut in the header", {'I', 'I', 42}},
        {"directory outside", badOffset},
        {"directory count past the end", hugeCount},
        {"value out of range", test::exifBlock(fields)},
        {"cut inside the entries", std::vector<std::uint8_t>(good.begin(), good.begin() + 14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(exifOrientation(c.block), 0);
        (void)exifForSaving(c.block);
    }
    // The "Exif\0\0" prefix some containers keep is understood.
    std::vector<std::uint8_t> prefixed = {'E', 'x', 'i', 'f', 0, 0};
    prefixed.insert(prefixed.end(), good.begin(), good.end());
    EXPECT_EQ(exifOrientation(exifTiffStream(prefixed)), 6);
    // Motorola byte order, as some cameras write it.
    const std::vector<std::uint8_t> bigEndian = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3,
                                                 0,   0,   0, 1,  0, 3, 0, 0, 0, 0, 0,    0,    0, 0};
    EXPECT_EQ(exifOrientation(bigEndian), 3);
    EXPECT_EQ(exifOrientation(exifForSaving(bigEndian)), 0);
}

}  // namespace
}  // namespace mugwarp
