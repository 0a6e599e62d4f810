#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <jerror.h>
#include <jpeglib.h>

#include "raster/error.h"

#include "formats/file_io.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_io.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

const std::string kCorpus = "/work/shared/corpora/jpegsuite/jpeg";

std::string jpegErrorOf(const std::vector<std::uint8_t>& bytes) {
    try {
        decodeJpeg(bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// djpeg's idea of the file, or an empty image when djpeg refuses it.
test::RgbImage djpegDecode(const std::string& jpeg, const TempDir& tmp) {
    const std::string out = tmp.path("djpeg.pnm");
    std::filesystem::remove(out);
    if (test::run("/usr/bin/djpeg -pnm -outfile " + out + " '" + jpeg + "'") != 0) return {};
    return test::readPnm(out);
}

TEST(JpegDecode, SampleMatchesDjpeg) {
    TempDir tmp;
    const std::string sample = test::sourcePath("data/sample/portrait.jpg");
    const auto decoded = decodeJpeg(test::readFile(sample));
    EXPECT_EQ(decoded.warnings, 0);
    EXPECT_EQ(decoded.bitmap.width(), 512);
    EXPECT_EQ(decoded.bitmap.height(), 512);
    EXPECT_TRUE(test::sameRgb(test::rgbOf(decoded.bitmap), djpegDecode(sample, tmp)));
    for (int y = 0; y < 512; y += 37)
        for (int x = 0; x < 512; x += 41) ASSERT_EQ(decoded.bitmap.pixelArgb(x, y) >> 24, 255u) << "opaque";
}

// Every file of the conformance corpus: decoded as djpeg decodes it, or
// refused with the library's error number. Never a crash.
TEST(JpegDecode, ConformanceCorpus) {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    TempDir tmp;
    int decodedCount = 0, refusedCount = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        if (entry.path().extension() != ".jpg") continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        const auto bytes = test::readFile(path);
        const auto reference = djpegDecode(path, tmp);
        try {
            const auto ours = decodeJpeg(bytes);
            ++decodedCount;
            ASSERT_FALSE(reference.pixels.empty()) << "we decode what djpeg refuses";
            EXPECT_TRUE(test::sameRgb(test::rgbOf(ours.bitmap), reference));
        } catch (const Error& e) {
            ++refusedCount;
            EXPECT_EQ(std::string(e.what()).rfind("JPEG data damaged: ", 0), 0u) << e.what();
            EXPECT_TRUE(reference.pixels.empty()) << "djpeg decodes what we refuse: " << e.what();
        }
    }
    EXPECT_GT(decodedCount, 100);
    EXPECT_GT(refusedCount, 0);  // 12-bit and lossless files are beyond an 8-bit decoder
}

// Application segments (EXIF, XMP, ICC, vendor data) are passed over.
TEST(JpegDecode, ApplicationSegmentsDoNotMatter) {
    const auto plain = test::readFile(test::sourcePath("data/sample/portrait.jpg"));
    std::vector<std::uint8_t> withApp = {0xFF, 0xD8};
    const std::string exif = std::string("Exif\0\0MM\0*\0\0\0\x08\0\0", 16) + std::string(300, 'x');
    const std::size_t length = exif.size() + 2;
    withApp.insert(withApp.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
    withApp.insert(withApp.end(), exif.begin(), exif.end());
    withApp.insert(withApp.end(), {0xFF, 0xED, 0x00, 0x06, 'P', 'S', '3', '\0'});
    withApp.insert(withApp.end(), plain.begin() + 2, plain.end());
    const auto a = decodeJpeg(plain);
    const auto b = decodeJpeg(withApp);
    EXPECT_EQ(b.warnings, 0);
    EXPECT_TRUE(test::sameRgb(test::rgbOf(a.bitmap), test::rgbOf(b.bitmap)));
}

// The content decides, whatever the name says.
TEST(JpegDecode, LoaderChoosesByContent) {
    TempDir tmp;
    const auto bytes = test::readFile(test::sourcePath("data/sample/portrait.jpg"));
    for (const char* name : {"a.jpg", "b.JPEG", "c.jpe", "d.JFIF", "e.png", "f", "g.gif"}) {
        test::writeFile(tmp.path(name), bytes);
        EXPECT_EQ(loadPicture(tmp.path(name)).width(), 512) << name;
    }
    try {
        loadPicture(tmp.path("missing.jpg"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("missing.jpg"), std::string::npos);
    }
}

// Damage is told in the library's words, never as a bare error number.
TEST(JpegDecode, DamagedFilesAreDescribedInWords) {
    const auto good = test::readFile(test::sourcePath("data/sample/portrait.jpg"));
    EXPECT_EQ(jpegErrorOf({}), "JPEG data damaged: Empty input file");
    // Cut inside the headers: the library meets the end it inserts where a table should be.
    for (std::ptrdiff_t cut : {4, 20, 100, 300}) {
        const std::string message = jpegErrorOf(std::vector<std::uint8_t>(good.begin(), good.begin() + cut));
        EXPECT_EQ(message.rfind("JPEG data damaged: ", 0), 0u) << cut << ": " << message;
        EXPECT_EQ(message.find('#'), std::string::npos) << message;
    }
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
    EXPECT_EQ(jpegErrorOf(png), "JPEG data damaged: Not a JPEG file: starts with 0x89 0x50");
}

// A file cut inside the image data still opens: the part that arrived is the
// picture as it should be, the rest is what the library fills in, and the
// damage is reported as warnings rather than hidden.
TEST(JpegDecode, FileCutInsideImageDataOpensWithWarnings) {
    const auto good = test::readFile(test::sourcePath("data/sample/portrait.jpg"));
    const auto full = decodeJpeg(good);
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    const auto partial = decodeJpeg(cut);
    EXPECT_GT(partial.warnings, 0);
    EXPECT_EQ(partial.firstWarningCode, JWRN_JPEG_EOF);
    ASSERT_EQ(partial.bitmap.width(), 512);
    ASSERT_EQ(partial.bitmap.height(), 512);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 512; ++x) ASSERT_EQ(partial.bitmap.pixelArgb(x, y), full.bitmap.pixelArgb(x, y));
    int differing = 0;
    for (int x = 0; x < 512; ++x) differing += partial.bitmap.pixelArgb(x, 511) != full.bitmap.pixelArgb(x, 511);
    EXPECT_GT(differing, 0);
}

std::vector<std::uint8_t> encodeCmyk(const std::vector<std::uint8_t>& inks, int w, int h, bool adobeMarker) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    cinfo.write_Adobe_marker = adobeMarker;
    for (int c = 0; c < 4; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(inks.data() + std::size_t(cinfo.next_scanline) * w * 4);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    jpeg_destroy_compress(&cinfo);
    return out;
}

// Adobe's APP14 marker means the samples are stored inverted (what its
// writers do); without it they are plain ink amounts.
TEST(JpegDecode, CmykHonoursTheAdobeMarker) {
    const int w = 16, h = 8;
    std::vector<std::uint8_t> samples(std::size_t(w) * h * 4);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = std::uint8_t((i % 4 == 3) ? 40 : (i * 7) % 256);
    for (bool adobe : {true, false}) {
        SCOPED_TRACE(adobe ? "Adobe" : "plain");
        const auto decoded = decodeJpeg(encodeCmyk(samples, w, h, adobe));
        int worst = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* s = &samples[(std::size_t(y) * w + x) * 4];
                auto channel = [&](int c) {
                    const int ink = adobe ? s[c] : 255 - s[c];
                    const int k = adobe ? s[3] : 255 - s[3];
                    return (ink * k + 127) / 255;
                };
                const Argb p = decoded.bitmap.pixelArgb(x, y);
                worst = std::max({worst, std::abs(int(redOf(p)) - channel(0)), std::abs(int(greenOf(p)) - channel(1)),
                                  std::abs(int(blueOf(p)) - channel(2))});
            }
        EXPECT_LE(worst, 3);  // quality 100 leaves a little rounding
    }
}

TEST(JpegEncode, MatchesCjpegWithTheSameSettings) {
    TempDir tmp;
    const PixelSurface picture = test::samplePhoto();
    const auto ours = encodeJpeg(picture);
    test::writePpm(tmp.path("in.ppm"), picture);
    ASSERT_EQ(test::run("/usr/bin/cjpeg -quality 90 -baseline -dct float -outfile " + tmp.path("ref.jpg") + " " +
                        tmp.path("in.ppm")),
              0);
    EXPECT_EQ(ours, test::readFile(tmp.path("ref.jpg")));
}

TEST(JpegEncode, SavedFileOpensInImageMagickWithOurPixels) {
    TempDir tmp;
    PixelSurface picture = test::gradientPicture(67, 41);
    picture.setPixel(3, 3, 0x00123456);  // alpha is dropped, colour kept
    savePicture(picture, tmp.path("out.jpg"), kDefaultKeyColor);
    const auto ours = decodeJpeg(test::readFile(tmp.path("out.jpg")));
    ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("out.jpg") + " " + tmp.path("im.ppm")), 0);
    EXPECT_TRUE(test::sameRgb(test::rgbOf(ours.bitmap), test::readPnm(tmp.path("im.ppm"))));
    EXPECT_EQ(test::capture("/usr/bin/identify -format '%w %h %Q' " + tmp.path("out.jpg")), "67 41 90");
}

}  // namespace
}  // namespace mugwarp
