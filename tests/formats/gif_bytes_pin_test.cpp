// The GIF writer's output is pinned byte for byte: the encoder and the colour
// reduction may be made faster, but a file written today must come out the
// same tomorrow. The digests were taken from the straightforward encoder and
// reduction whose files the peers' decoders check in gif_writer_test.
//
// A digest changes only on purpose (a deliberate change of what the writer
// emits): check the new files with the peers (gif_writer_test), then take the
// new digests from this test's own failure messages, which print the hash of
// each file as written now, and write them into the cases below.
#include <cmath>
#include <cstring>

#include "formats/color_reduction.h"
#include "formats/gif_lzw.h"
#include "formats/indexed_expand.h"
#include "formats/picture_io.h"
#include "support/content_hash.h"
#include "test_support.h"

namespace mugwarp {
namespace {

struct Noise {
    std::uint32_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

// Indexed pictures of every depth, from runs the string table loves to noise
// that fills it up and clears it many times.
PlatformBitmap indexedPicture(int width, int height, int depth, bool noisy) {
    PlatformBitmap b(width, height, depth);
    b.palette().assign(std::size_t(1) << depth, PaletteEntry{});
    Noise noise{0x9E3779B9u + std::uint32_t(width * 31 + depth)};
    const int colours = 1 << depth;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int smooth = x / 5 + y / 3 + int(8 * std::sin(x * 0.05) + 8 * std::cos(y * 0.07));
            const int v = noisy ? int(noise.next() >> 7) : smooth + ((noise.next() & 31) == 0 ? 1 : 0);
            b.setPixelIndex(x, y, ((v % colours) + colours) % colours);
        }
    return b;
}

// A photograph's worth of colours (far more than the histogram holds, so
// low bits are masked away) with an erased patch that the save keys.
PixelSurface photoLike(int width, int height) {
    PixelSurface s(width, height);
    Noise noise{12345};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double shade = 0.5 + 0.5 * std::sin(x * 0.013 + y * 0.021);
            const int grain = int(noise.next() % 9) - 4;
            const auto channel = [&](double v) { return std::uint8_t(std::clamp(int(v) + grain, 0, 255)); };
            s.setPixel(x, y, makeArgb(255, channel(40 + 200 * shade), channel(x * 255.0 / width), channel(y * 180.0 / height + 30)));
        }
    for (int y = height / 3; y < height / 2; ++y)
        for (int x = width / 4; x < width / 3; ++x) s.setPixel(x, y, 0x00FDFEFF);
    return s;
}

TEST(GifBytes, EncoderOutputIsPinned) {
    struct Case {
        const char* name;
        PlatformBitmap bitmap;
        bool interlaced;
        std::uint64_t digest;
    };
    const Case cases[] = {
        {"one pixel", indexedPicture(1, 1, 8, false), false, 7836815411803418058ull},
        {"smooth 8-bit", indexedPicture(1021, 613, 8, false), false, 16214325789645919657ull},
        {"noise 8-bit", indexedPicture(509, 301, 8, true), false, 12610716380451404993ull},
        {"noise 8-bit interlaced", indexedPicture(97, 41, 8, true), true, 13554505833239607596ull},
        {"smooth 4-bit", indexedPicture(333, 77, 4, false), false, 17387927877913520957ull},
        {"noise 4-bit", indexedPicture(401, 203, 4, true), false, 4135445825663618442ull},
        {"smooth 1-bit", indexedPicture(259, 65, 1, false), false, 15986859980969208572ull},
        {"noise 1-bit", indexedPicture(777, 311, 1, true), false, 4255939653851456861ull},
    };
    for (const Case& c : cases) {
        const auto raster = encodeLzw(c.bitmap, c.interlaced);
        EXPECT_EQ(test::contentHash(raster), c.digest) << c.name << ", " << raster.size() << " bytes";
    }
}

TEST(GifBytes, SavedFilesArePinned) {
    test::TempDir tmp;
    struct Case {
        const char* name;
        PixelSurface picture;
        PlatformColor key;
        std::uint64_t digest;
    };
    const Case cases[] = {
        {"photograph with an erased patch", photoLike(640, 480), kDefaultKeyColor, 18098844905278603777ull},
        {"photograph, GIF without a key", photoLike(203, 157), kNoKeyColor, 6431731164852316119ull},
        {"200 colours", test::paletteSizedPicture(300, 200, 200, 5), kDefaultKeyColor, 15151174082652374770ull},
        {"gradient", test::gradientPicture(256, 190), kDefaultKeyColor, 5906412749964026595ull},
    };
    for (const Case& c : cases) {
        const std::string path = tmp.path("pinned.gif");
        saveGifPicture(c.picture, path, c.key);
        const auto bytes = test::readFile(path);
        EXPECT_EQ(test::contentHash(bytes), c.digest) << c.name << ", " << bytes.size() << " bytes";
    }
}

// The save's second reduction works from the indices of the first; it must
// give what reducing the drawn, re-keyed picture gives, index for index.
TEST(GifBytes, ReducingAgainFromIndicesMatchesReducingTheDrawnPicture) {
    const std::uint32_t key = 0xFFFEFD;
    struct Case {
        const char* name;
        PlatformBitmap reduced;
        int keyEvery;  // every n-th pixel keyed; 0 for none
    };
    PlatformBitmap duplicates(37, 23, 8);  // equal colours under several indices, a short palette
    duplicates.palette().assign(5, PaletteEntry{10, 20, 30, 0});
    duplicates.palette()[3] = PaletteEntry{0xFD, 0xFE, 0xFF, 0};  // the key's own colour
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) duplicates.setPixelIndex(x, y, (x * 3 + y) % 7);
    const Case cases[] = {
        {"photograph, keyed patch", reduceColors(photoLike(320, 240).toPlatformBitmap()), 0},
        {"photograph, keys scattered", reduceColors(photoLike(160, 120).toPlatformBitmap()), 97},
        {"photograph, every pixel keyed", reduceColors(photoLike(16, 9).toPlatformBitmap()), 1},
        {"few colours, the key among them", reduceColors(test::paletteSizedPicture(40, 30, 9, 2).toPlatformBitmap()), 5},
        {"duplicate palette colours", duplicates, 11},
        {"duplicate palette colours, none keyed", duplicates, 0},
    };
    for (const Case& c : cases) {
        const int w = c.reduced.width(), h = c.reduced.height();
        std::vector<std::uint8_t> keyed(std::size_t(w) * std::size_t(h), 0);
        PlatformBitmap drawn = expandIndexed(c.reduced);
        bool anyKeyed = false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
                const bool patch = c.keyEvery == 0 && c.reduced.height() > 100 && y > h / 3 && y < h / 2 && x < w / 4;
                if (!patch && !(c.keyEvery > 0 && i % std::size_t(c.keyEvery) == 0)) continue;
                keyed[i] = 1;
                anyKeyed = true;
                const std::uint32_t argb = 0xFF000000u | key;
                std::memcpy(drawn.scanLine(y) + 4 * x, &argb, 4);
            }
        const PlatformBitmap expected = anyKeyed ? reduceColors(drawn, key) : reduceColors(drawn);
        const PlatformBitmap actual = reduceKeyedAgain(c.reduced, keyed, key);
        EXPECT_EQ(actual.palette(), expected.palette()) << c.name;
        bool same = true;
        for (int y = 0; y < h && same; ++y) same = std::memcmp(actual.scanLine(y), expected.scanLine(y), std::size_t(w)) == 0;
        EXPECT_TRUE(same) << c.name;
    }
}

}  // namespace
}  // namespace mugwarp
