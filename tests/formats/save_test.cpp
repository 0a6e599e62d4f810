#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>

#include "formats/gif_image.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

// Alpha as ImageMagick sees it in a saved GIF, one value per pixel.
std::vector<std::uint8_t> imageMagickAlpha(const std::string& gif, const TempDir& tmp) {
    std::filesystem::remove(tmp.path("a.pgm"));
    if (test::run("/usr/bin/convert " + gif + " -alpha extract -depth 8 " + tmp.path("a.pgm")) != 0) return {};
    const auto img = test::readPnm(tmp.path("a.pgm"));
    std::vector<std::uint8_t> alpha;
    for (std::uint32_t p : img.pixels) alpha.push_back(std::uint8_t(p));
    return alpha;
}

// A document picture: left half white, a block of erased pixels (the outer
// colour of a document that is not a GIF), a block of transparent black, and
// the faded border a rotation leaves.
PixelSurface documentPicture() {
    PixelSurface p(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) p.setPixel(x, y, x < 10 ? 0xFFFFFFFF : makeArgb(255, std::uint8_t(x * 10), 40, 90));
    for (int y = 2; y < 5; ++y)
        for (int x = 12; x < 15; ++x) p.setPixel(x, y, 0x00FDFEFF);
    p.setPixel(16, 7, 0x00000000);
    p.setPixel(0, 9, 0x00336699);
    return p;
}

TEST(GifSave, TransparentPlacesCarryTheKeyAndAreTheTransparentEntry) {
    TempDir tmp;
    const PixelSurface picture = documentPicture();
    const PlatformColor key = 0x0000FF;  // red, as a platform colour
    const PlatformBitmap written = saveGifPicture(picture, tmp.path("k.gif"), key);
    const auto bytes = test::readFile(tmp.path("k.gif"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    EXPECT_EQ(bytes[10], 0xF7);
    EXPECT_EQ(bytes[11], 0);
    const std::size_t gce = 13 + 768;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + gce, bytes.begin() + gce + 4),
              (std::vector<std::uint8_t>{0x21, 0xF9, 0x04, 0x01}));
    EXPECT_EQ(bytes[gce + 8], ',');
    EXPECT_EQ(bytes[gce + 8 + 9], 0) << "image without local table, not interlaced";
    EXPECT_EQ(bytes[gce + 8 + 10], 8) << "minimum code size";
    EXPECT_EQ(bytes.back(), ';');

    const GifPicture back = loadGifPicture(tmp.path("k.gif"));
    ASSERT_TRUE(back.transparentColor.has_value());
    EXPECT_EQ(*back.transparentColor, key);
    const auto alpha = imageMagickAlpha(tmp.path("k.gif"), tmp);
    ASSERT_EQ(alpha.size(), 200u);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool erased = (x >= 12 && x < 15 && y >= 2 && y < 5) || (x == 16 && y == 7);
            EXPECT_EQ(alpha[std::size_t(y) * 20 + x] == 0, erased) << x << "," << y;
            EXPECT_EQ(written.pixelArgb(x, y) == 0xFFFF0000u, erased) << x << "," << y;
        }
    // The faded border pixel keeps its colour, opaque.
    EXPECT_EQ(back.composite.pixelArgb(0, 9), 0xFF336699u);
}

TEST(GifSave, NoKeyLeavesWhiteOpaque) {
    TempDir tmp;
    const PixelSurface picture = documentPicture();
    saveGifPicture(picture, tmp.path("n.gif"), kNoKeyColor);
    const GifPicture back = loadGifPicture(tmp.path("n.gif"));
    ASSERT_TRUE(back.transparentColor.has_value());
    EXPECT_EQ(*back.transparentColor, kDefaultKeyColor);
    const auto alpha = imageMagickAlpha(tmp.path("n.gif"), tmp);
    ASSERT_EQ(alpha.size(), 200u);
    EXPECT_EQ(alpha[0], 255) << "white stays white and opaque";
    EXPECT_EQ(back.composite.pixelArgb(3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(alpha[2 * 20 + 12], 0) << "erased stays transparent";
}

// A GIF document without a transparent colour erases and warps away to its
// outer colour, transparent white; those places are saved under the default key.
TEST(GifSave, NoKeyDocumentsOuterColourIsSavedTransparent) {
    TempDir tmp;
    PixelSurface picture = documentPicture();
    for (int y = 6; y < 9; ++y)
        for (int x = 3; x < 6; ++x) picture.setPixel(x, y, 0x00FFFFFF);
    const PlatformBitmap written = saveGifPicture(picture, tmp.path("w.gif"), kNoKeyColor);
    const GifPicture back = loadGifPicture(tmp.path("w.gif"));
    ASSERT_TRUE(back.transparentColor.has_value());
    EXPECT_EQ(*back.transparentColor, kDefaultKeyColor);
    const Argb key = argbFromPlatform(kDefaultKeyColor, 255);
    for (int y = 6; y < 9; ++y)
        for (int x = 3; x < 6; ++x) {
            EXPECT_EQ(back.composite.pixelArgb(x, y), key) << x << "," << y;
            EXPECT_EQ(written.pixelArgb(x, y), key) << x << "," << y;
        }
    EXPECT_EQ(back.composite.pixelArgb(2, 7), 0xFFFFFFFFu) << "opaque white stays white";
    EXPECT_EQ(back.composite.pixelArgb(13, 3), key) << "the default outer colour is keyed as before";
}

TEST(GifSave, OpaquePictureWithoutKeyColourHasTheFlagClear) {
    TempDir tmp;
    saveGifPicture(test::gradientPicture(30, 20), tmp.path("o.gif"), kDefaultKeyColor);
    const auto bytes = test::readFile(tmp.path("o.gif"));
    EXPECT_EQ(bytes[13 + 768 + 3], 0x00);
    EXPECT_FALSE(loadGifPicture(tmp.path("o.gif")).transparentColor.has_value());
}

TEST(GifSave, GifDocumentRoundTrip) {
    TempDir tmp;
    PixelSurface picture = test::paletteSizedPicture(40, 30, 50, 9);
    const PlatformColor key = platformFromArgb(picture.pixel(1, 1));
    saveGifPicture(picture, tmp.path("first.gif"), key);
    const GifPicture first = loadGifPicture(tmp.path("first.gif"));
    ASSERT_TRUE(first.transparentColor.has_value());
    EXPECT_EQ(*first.transparentColor, key);
    // Opened as the document opens it and saved again: the same file.
    PixelSurface reopened;
    reopened.assign(first.composite);
    const Argb keyArgb = argbFromPlatform(key, 0);
    for (int y = 0; y < reopened.height(); ++y)
        for (int x = 0; x < reopened.width(); ++x)
            if ((reopened.pixel(x, y) & 0xFFFFFF) == keyArgb) reopened.setPixel(x, y, keyArgb);
    saveGifPicture(reopened, tmp.path("second.gif"), key);
    EXPECT_EQ(test::readFile(tmp.path("first.gif")), test::readFile(tmp.path("second.gif")));
}

// A photograph with a small erased spot: the key is the rarest of 257
// colours after the first reduction, yet must stay the transparent entry.
TEST(GifSave, SmallTransparentSpotInAPhotograph) {
    TempDir tmp;
    PixelSurface photo = test::samplePhoto();
    for (int y = 100; y < 104; ++y)
        for (int x = 200; x < 204; ++x) photo.setPixel(x, y, 0x00FDFEFF);
    saveGifPicture(photo, tmp.path("spot.gif"), kDefaultKeyColor);
    const GifPicture back = loadGifPicture(tmp.path("spot.gif"));
    ASSERT_TRUE(back.transparentColor.has_value());
    EXPECT_EQ(*back.transparentColor, kDefaultKeyColor);
    const Argb key = argbFromPlatform(kDefaultKeyColor, 255);
    int keyed = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) keyed += back.composite.pixelArgb(x, y) == key;
    EXPECT_EQ(keyed, 16);
}

TEST(PdfSave, OnePagePdfAndNoTemporaryLeft) {
    TempDir tmp;
    const PixelSurface picture = test::samplePhoto();
    savePicture(picture, tmp.path("face.pdf"), kDefaultKeyColor);
    EXPECT_TRUE(std::filesystem::exists(tmp.path("face.pdf")));
    EXPECT_FALSE(std::filesystem::exists(tmp.path("face.pdf111")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 1);
    EXPECT_EQ(test::run("/usr/bin/qpdf --check " + tmp.path("face.pdf")), 0);
    const std::string info = test::capture("/usr/bin/pdfinfo " + tmp.path("face.pdf"));
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       512 x 512 pts\n"), std::string::npos) << info;
    // Rendered at one pixel per point it is the picture (JPEG-lossy, so close, not equal).
    ASSERT_EQ(test::run("/usr/bin/pdftoppm -r 72 -singlefile " + tmp.path("face.pdf") + " " + tmp.path("page")), 0);
    const auto page = test::readPnm(tmp.path("page.ppm"));
    ASSERT_EQ(page.width, 512);
    ASSERT_EQ(page.height, 512);
    // Poppler decodes the embedded JPEG with its own upsampling, so the page
    // is close to the picture rather than equal; upside down it would be far off.
    const PlatformBitmap embedded = decodeJpeg(encodeJpeg(picture)).bitmap;
    auto meanDifference = [&](bool flipped) {
        double error = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) {
                const Argb a = embedded.pixelArgb(x, flipped ? 511 - y : y), b = page.pixels[std::size_t(y) * 512 + x];
                error += std::abs(int(redOf(a)) - int(redOf(b))) + std::abs(int(greenOf(a)) - int(greenOf(b))) +
                         std::abs(int(blueOf(a)) - int(blueOf(b)));
            }
        return error / (512.0 * 512 * 3);
    };
    EXPECT_LT(meanDifference(false), 8.0);
    EXPECT_GT(meanDifference(true), 4 * meanDifference(false));
}

TEST(PdfSave, TemporaryJpegRemovedWhenThePdfCannotBeWritten) {
    TempDir tmp;
    // The target is a directory: the JPEG can be written beside it, the PDF not.
    std::filesystem::create_directory(tmp.path("face.pdf"));
    EXPECT_THROW(savePicture(test::gradientPicture(8, 8), tmp.path("face.pdf"), kDefaultKeyColor), Error);
    EXPECT_FALSE(std::filesystem::exists(tmp.path("face.pdf111")));
    EXPECT_TRUE(std::filesystem::is_directory(tmp.path("face.pdf")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 1);
}

// Saving never destroys the existing file when it fails half-way, and leaves
// nothing half-written.
TEST(AtomicSave, FailedSaveKeepsTheOldFile) {
    TempDir tmp;
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    const PixelSurface picture = test::gradientPicture(300, 200);
    // Writing stops after 2000 bytes, as on a full disk.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 2000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    for (const char* name : {"a.jpg", "a.gif", "a.pdf", "a.bmp"}) {
        SCOPED_TRACE(name);
        test::writeFile(tmp.path(name), old);
        EXPECT_THROW(savePicture(picture, tmp.path(name), kDefaultKeyColor), Error);
        EXPECT_EQ(test::readFile(tmp.path(name)), old);
        EXPECT_THROW(savePicture(PixelSurface(), tmp.path(name), kDefaultKeyColor), Error);
        EXPECT_EQ(test::readFile(tmp.path(name)), old);
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 4);
}

TEST(AtomicSave, ReplacesCompletelyAndKeepsPermissions) {
    TempDir tmp;
    test::writeFile(tmp.path("p.bmp"), {'o', 'l', 'd'});
    ::chmod(tmp.path("p.bmp").c_str(), 0640);
    savePicture(test::gradientPicture(5, 5), tmp.path("p.bmp"), kDefaultKeyColor);
    EXPECT_EQ(loadPicture(tmp.path("p.bmp")).width(), 5);
    struct stat st {};
    ASSERT_EQ(::stat(tmp.path("p.bmp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 1);
}

TEST(AtomicSave, SavingThroughALinkReplacesItsTarget) {
    TempDir tmp;
    test::writeFile(tmp.path("real.bmp"), {'o', 'l', 'd'});
    std::filesystem::create_symlink(tmp.path("real.bmp"), tmp.path("link.bmp"));
    savePicture(test::gradientPicture(6, 2), tmp.path("link.bmp"), kDefaultKeyColor);
    EXPECT_TRUE(std::filesystem::is_symlink(tmp.path("link.bmp")));
    EXPECT_EQ(loadPicture(tmp.path("real.bmp")).width(), 6);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 2);
}

TEST(AtomicSave, UnwritableDirectoryIsAClearError) {
    try {
        savePicture(test::gradientPicture(5, 5), "/nonexistent-dir/x.bmp", kDefaultKeyColor);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"/nonexistent-dir/x.bmp\".", 0), 0u) << e.what();
    }
    try {
        savePicture(test::gradientPicture(5, 5), "/tmp/x.tiff", kDefaultKeyColor);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.tiff)");
    }
}

TEST(PdfSave, LeavesAUserFileNamedLikeTheTemporaryAlone) {
    TempDir tmp;
    test::writeFile(tmp.path("face.pdf111"), {'m', 'i', 'n', 'e'});
    savePicture(test::gradientPicture(8, 8), tmp.path("face.pdf"), kDefaultKeyColor);
    EXPECT_EQ(test::readFile(tmp.path("face.pdf111")), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(test::run("/usr/bin/qpdf --check " + tmp.path("face.pdf")), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 2);
}

TEST(PdfSave, LeavesALinkNamedLikeTheTemporaryAlone) {
    TempDir tmp;
    // The link points nowhere: the name is still the user's.
    std::filesystem::create_symlink(tmp.path("nowhere.jpg"), tmp.path("face.pdf111"));
    savePicture(test::gradientPicture(8, 8), tmp.path("face.pdf"), kDefaultKeyColor);
    ASSERT_TRUE(std::filesystem::is_symlink(tmp.path("face.pdf111")));
    EXPECT_EQ(std::filesystem::read_symlink(tmp.path("face.pdf111")), tmp.path("nowhere.jpg"));
    EXPECT_FALSE(std::filesystem::exists(tmp.path("nowhere.jpg")));
    EXPECT_EQ(test::run("/usr/bin/qpdf --check " + tmp.path("face.pdf")), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.dir()), {}), 2);
}

}  // namespace

}  // namespace mugwarp
