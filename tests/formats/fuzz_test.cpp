#include <random>

#include "formats/bmp_codec.h"
#include "formats/gif_image.h"
#include "formats/jpeg_codec.h"
#include "formats/pdf_writer.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

// Feeds damaged copies of a valid file to a decoder: cut at random lengths
// and with random bits flipped. Each must give a picture, a marked-damaged
// picture or an Error; never a crash, a hang or an access out of bounds (the
// sanitized build of these tests checks the last; the test's timeout catches
// a hang, a stopwatch would only make the test depend on the machine's load).
// Returns how many copies were refused, which must be some: a decoder that
// accepts every damaged copy is not checking what it reads.
template <typename Decode>
int hammer(const std::vector<std::uint8_t>& seed, Decode decode, int rounds) {
    std::mt19937 rng(20261207);
    int errors = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::uint8_t> bytes = seed;
        if (round % 3 == 0) {
            bytes.resize(rng() % seed.size());
        } else {
            const int flips = 1 + int(rng() % 4);
            for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] ^= std::uint8_t(1u << (rng() % 8));
        }
        try {
            decode(bytes);
        } catch (const Error&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 0);
    return errors;
}

#ifdef MUGWARP_SANITIZED
constexpr int kRounds = 1500;
#else
constexpr int kRounds = 5000;
#endif

TEST(Fuzz, Bmp) {
    const PixelSurface picture = test::gradientPicture(37, 23);
    hammer(encodeBmp(picture), [](const std::vector<std::uint8_t>& b) { decodeBmp(b); }, kRounds);
    // An 8-bit RLE file and a 4-bit file made by a peer.
    test::TempDir tmp;
    test::writePpm(tmp.path("in.ppm"), test::paletteSizedPicture(40, 30, 12, 5));
    ASSERT_EQ(test::run("/usr/bin/convert " + tmp.path("in.ppm") + " -type palette -compress RLE BMP3:" + tmp.path("r.bmp")), 0);
    hammer(test::readFile(tmp.path("r.bmp")), [](const std::vector<std::uint8_t>& b) { decodeBmp(b); }, kRounds);
}

TEST(Fuzz, Jpeg) {
    test::TempDir tmp;
    test::writePpm(tmp.path("in.ppm"), test::gradientPicture(48, 40));
    ASSERT_EQ(test::run("/usr/bin/cjpeg -outfile " + tmp.path("b.jpg") + " " + tmp.path("in.ppm")), 0);
    ASSERT_EQ(test::run("/usr/bin/cjpeg -progressive -outfile " + tmp.path("p.jpg") + " " + tmp.path("in.ppm")), 0);
    for (const char* name : {"b.jpg", "p.jpg"})
        hammer(test::readFile(tmp.path(name)), [](const std::vector<std::uint8_t>& b) { decodeJpeg(b); }, kRounds / 2);
    // The PDF builder takes the JPEG as it stands once its frame header reads:
    // some copies must be refused by the header reader and the rest built.
    const int refused = hammer(test::readFile(tmp.path("b.jpg")), [](const std::vector<std::uint8_t>& b) {
        const auto header = readJpegFrameHeader(b);
        if (!header) throw Error("no frame header");
        buildPdfFromJpeg(b, *header);
    }, kRounds);
    EXPECT_LT(refused, kRounds);
}

TEST(Fuzz, Gif) {
    GifImage source;
    source.addFrameFromBitmap(test::paletteSizedPicture(45, 33, 40, 2).toPlatformBitmap());
    source.setFrameTransparency(0, 0x000000);
    source.comment = {"a comment"};
    const auto seed = source.store();
    int damaged = 0;
    hammer(seed, [&](const std::vector<std::uint8_t>& b) {
        GifImage gif;
        gif.load(b);
        if (gif.frames.empty()) throw Error("no frames");
        damaged += gif.frames[0].corrupted;
        const PlatformBitmap& bitmap = gif.frameBitmap(0);
        if (bitmap.width() > 0) (void)bitmap.pixelArgb(bitmap.width() - 1, bitmap.height() - 1);
    }, kRounds);
    EXPECT_GT(damaged, 0);
}

}  // namespace
}  // namespace mugwarp
