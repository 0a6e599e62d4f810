#include <cmath>
#include <string>

#include "formats/heif_reader.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"
#include "formats/webp_codec.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

// Peak signal-to-noise ratio of the colours, in dB.
double psnr(const PlatformBitmap& a, const PixelSurface& b) {
    double sum = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            for (int shift : {0, 8, 16}) {
                const double d = double((a.pixelArgb(x, y) >> shift) & 0xFF) - double((b.row(y)[x] >> shift) & 0xFF);
                sum += d * d;
            }
    const double mse = sum / (3.0 * b.width() * b.height());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Lossless is exact, transparent places and their hidden colours included;
// lossy at the default quality 90 stays above 38 dB on a photo.
TEST(Webp, LosslessExactLossyWithinPsnr) {
    PixelSurface photo = test::samplePhoto();
    for (int x = 0; x < 40; ++x) photo.row(7)[x] = 0x00123456;
    for (int x = 40; x < 80; ++x) photo.row(7)[x] = 0x80654321;
    WebpExtras lossless;
    lossless.lossless = true;
    const DecodedImage exact = decodeWebp(encodeWebp(photo, lossless));
    ASSERT_TRUE(exact.hasAlpha);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) ASSERT_EQ(exact.bitmap.pixelArgb(x, y), photo.row(y)[x]) << x << "," << y;

    const PixelSurface opaque = test::samplePhoto();
    WebpExtras lossy;
    const std::vector<std::uint8_t> small = encodeWebp(opaque, lossy);
    const DecodedImage near = decodeWebp(small);
    EXPECT_FALSE(near.hasAlpha);
    EXPECT_GT(psnr(near.bitmap, opaque), 38.0);
    lossy.quality = 20;
    EXPECT_LT(encodeWebp(opaque, lossy).size(), small.size() / 2) << "quality is passed on";
}

// The real peers: cwebp's files open as dwebp decodes them; ours decode in dwebp.
TEST(Webp, AgreesWithTheLibrarysOwnTools) {
    if (!test::toolAvailable("/usr/bin/cwebp") || !test::toolAvailable("/usr/bin/dwebp")) GTEST_SKIP() << "no webp tools";
    TempDir tmp;
    const std::string sample = test::sourcePath("data/sample/portrait.jpg");
    for (const char* mode : {"-q 75", "-lossless", "-q 60 -alpha_q 50"}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(test::run("/usr/bin/cwebp -quiet " + std::string(mode) + " " + sample + " -o " + tmp.path("peer.webp")), 0);
        ASSERT_EQ(test::run("/usr/bin/dwebp -quiet " + tmp.path("peer.webp") + " -ppm -o " + tmp.path("peer.ppm")), 0);
        EXPECT_TRUE(test::sameRgb(test::rgbOf(loadPicture(tmp.path("peer.webp"))), test::readPnm(tmp.path("peer.ppm"))));
    }
    const PixelSurface picture = test::gradientPicture(33, 21);
    savePicture(picture, tmp.path("ours.webp"), kDefaultKeyColor, SaveOptions{nullptr, 90, true});
    ASSERT_EQ(test::run("/usr/bin/dwebp -quiet " + tmp.path("ours.webp") + " -ppm -o " + tmp.path("ours.ppm")), 0);
    EXPECT_TRUE(test::sameRgb(test::readPnm(tmp.path("ours.ppm")), test::rgbOf(picture)));
}

// An animation opens at its first frame, with a note that says so.
TEST(Webp, AnimationOpensItsFirstFrame) {
    if (!test::toolAvailable("/usr/bin/img2webp")) GTEST_SKIP() << "no img2webp";
    TempDir tmp;
    test::writePpm(tmp.path("a.ppm"), test::gradientPicture(24, 16));
    PixelSurface second = test::gradientPicture(24, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) second.row(y)[x] ^= 0x00FFFFFF;
    test::writePpm(tmp.path("b.ppm"), second);
    ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("a.ppm") + " " + tmp.path("a.png") + " && /usr/bin/convert " +
                        tmp.path("b.ppm") + " " + tmp.path("b.png")), 0);
    ASSERT_EQ(test::run("/usr/bin/img2webp -loop 0 -lossless " + tmp.path("a.png") + " " + tmp.path("b.png") + " -o " +
                        tmp.path("anim.webp") + " >/dev/null 2>&1"), 0);
    const PictureFile file = readPictureFile(tmp.path("anim.webp"));
    ASSERT_EQ(file.notes.size(), 1u);
    EXPECT_EQ(file.notes[0], "Animated WebP: showing its first frame of 2");
    EXPECT_TRUE(test::sameRgb(test::rgbOf(file.bitmap), test::rgbOf(test::gradientPicture(24, 16))));
}

TEST(Webp, DamagedFilesAreRefusedInWords) {
    const std::vector<std::uint8_t> good = encodeWebp(test::gradientPicture(30, 30), WebpExtras{});
    std::vector<std::uint8_t> unknownChunk = good;
    unknownChunk[14] = 'X';  // "VP8 " becomes "VPX ": no picture chunk left
    std::vector<std::uint8_t> noStartCode = good;
    noStartCode[23] = noStartCode[24] = noStartCode[25] = 0;  // the key frame's start code
    for (const auto& bytes : {std::vector<std::uint8_t>(good.begin(), good.begin() + 16),
                              std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2), unknownChunk,
                              noStartCode}) {
        try {
            (void)decodePictureFile(bytes, "/x/saved.webp");
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot open saved.webp: WebP data damaged: ", 0), 0u) << e.what();
        }
    }
}

// HEIC and AVIF made by libheif's own encoder open as its converter decodes them.
TEST(Heif, HeicAndAvifOpenLikeTheReferenceConverter) {
    if (!test::toolAvailable("/usr/bin/heif-enc") || !test::toolAvailable("/usr/bin/heif-convert")) GTEST_SKIP() << "no heif tools";
    TempDir tmp;
    test::writePpm(tmp.path("src.ppm"), test::gradientPicture(64, 48));
    ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("src.ppm") + " " + tmp.path("src.png")), 0);
    for (const auto& [flag, name, kind] : {std::tuple{"", "p.heic", PictureKind::Heic}, std::tuple{"-A", "p.avif", PictureKind::Avif}}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(test::run(std::string("/usr/bin/heif-enc -q 90 ") + flag + " " + tmp.path("src.png") + " -o " + tmp.path(name) + " >/dev/null 2>&1"), 0);
        ASSERT_EQ(test::run("/usr/bin/heif-convert " + tmp.path(name) + " " + tmp.path("ref.png") + " >/dev/null 2>&1"), 0);
        // A misleading name does not matter.
        std::filesystem::copy_file(tmp.path(name), tmp.path("named.jpg"), std::filesystem::copy_options::overwrite_existing);
        const PictureFile file = readPictureFile(tmp.path("named.jpg"));
        EXPECT_EQ(file.kind, kind);
        EXPECT_TRUE(test::sameRgb(test::rgbOf(file.bitmap), test::imageMagickDecode(tmp.path("ref.png"), tmp)));
    }
}

TEST(Heif, DamagedFileIsRefusedWithItsName) {
    // A valid "ftyp" box announcing HEIC, then nothing.
    const std::vector<std::uint8_t> bytes = {0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0,
                                             'm', 'i', 'f', '1', 'h', 'e', 'i', 'c', 0, 0, 0, 8, 'm', 'e', 't', 'a'};
    try {
        (void)decodePictureFile(bytes, "IMG_0001.HEIC");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open IMG_0001.HEIC: HEIC data damaged: ", 0), 0u) << e.what();
    }
}

}  // namespace
}  // namespace mugwarp
