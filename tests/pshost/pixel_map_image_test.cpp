#include "pshost/pixel_map_image.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace mugwarp {
namespace {

// 4 x 3 pixels, interleaved RGB: red = 10 x + y, green = 100 + y, blue = 200 + x.
struct Picture {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(4 * 3 * 3);
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(4 * 3, 255);
    abi::PSPixelMap map{};
    abi::PSPixelMask maskRecord{};
    Picture() {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                std::uint8_t* p = &bytes[std::size_t(y * 4 + x) * 3];
                p[0] = std::uint8_t(10 * x + y), p[1] = std::uint8_t(100 + y), p[2] = std::uint8_t(200 + x);
            }
        map.bounds = {0, 0, 3, 4};
        map.imageMode = abi::kImageModeRGB;
        map.rowBytes = 12, map.colBytes = 3, map.planeBytes = 1;
        map.baseAddr = bytes.data();
        maskRecord = {nullptr, mask.data(), 4, 1, abi::kMaskSimple};
    }
    // Only this picture's own memory may be read.
    MemoryProbe probe() const {
        return [this](const std::uint8_t* p, std::size_t n) {
            auto inside = [&](const void* begin, std::size_t size) {
                const auto* b = static_cast<const std::uint8_t*>(begin);
                return p >= b && n <= size && p + n <= b + size;
            };
            return inside(bytes.data(), bytes.size()) || inside(mask.data(), mask.size()) ||
                   inside(&map, sizeof(map)) || inside(&maskRecord, sizeof(maskRecord)) || inside(&rect, sizeof(rect));
        };
    }
    void masked() {
        map.version = 1;
        map.masks = &maskRecord;
    }
    std::optional<PixelMapImage> read(std::size_t maxPixels = 1000) const {
        return readPixelMap(&map, &rect, 7, 9, maxPixels, probe());
    }
    abi::VRect rect{0, 0, 3, 4};
};

std::uint32_t pixel(int x, int y) {
    return 0xFF000000u | std::uint32_t(10 * x + y) << 16 | std::uint32_t(100 + y) << 8 | std::uint32_t(200 + x);
}

TEST(PixelMapImage, HostileGeometryDrawsNothing) {
    const struct {
        const char* name;
        void (*spoil)(Picture&);
    } cases[] = {
        {"rows far apart", [](Picture& p) { p.map.rowBytes = INT_MAX; }},
        {"columns stepping backwards off the block", [](Picture& p) { p.map.colBytes = -3; }},
        {"planes far apart", [](Picture& p) { p.map.planeBytes = INT_MIN; }},
        {"bounds far beyond the block",
         [](Picture& p) {
             p.map.bounds = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
             p.rect = p.map.bounds;
         }},
        {"no pixels", [](Picture& p) { p.map.baseAddr = nullptr; }},
        {"rectangle outside the bounds", [](Picture& p) { p.rect = {5, 0, 9, 4}; }},
        {"upside-down rectangle", [](Picture& p) { p.rect = {3, 0, 0, 4}; }},
        {"CMYK", [](Picture& p) { p.map.imageMode = 4; }},
        {"16-bit samples", [](Picture& p) { p.map.version = 3, p.map.depth = 16; }},
        {"a mask without bytes", [](Picture& p) { p.masked(), p.maskRecord.maskData = nullptr; }},
        {"a circular mask list", [](Picture& p) { p.masked(), p.maskRecord.next = &p.maskRecord; }},
        {"a mask record elsewhere", [](Picture& p) { p.masked(), p.map.masks = reinterpret_cast<abi::PSPixelMask*>(64); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p;
        c.spoil(p);
        EXPECT_FALSE(p.read().has_value());
    }
    Picture p;
    EXPECT_FALSE(p.read(11).has_value());  // larger than the host allows
    EXPECT_TRUE(p.read(12).has_value());
}

TEST(PixelMapImage, LayoutsGiveTheSamePixels) {
    Picture interleaved;
    const auto expected = interleaved.read();
    ASSERT_TRUE(expected);
    EXPECT_EQ(expected->pixels[0], pixel(0, 0));
    EXPECT_EQ(expected->pixels[11], pixel(3, 2));
    EXPECT_EQ(expected->left, 9);
    EXPECT_EQ(expected->top, 7);

    // Planar, rows stored bottom-up (negative row step), and a version-0 map
    // whose mask fields hold garbage that must not be read.
    Picture planar, bottomUp, versionZero;
    std::vector<std::uint8_t> planes(36), flipped(36);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c) {
                planes[std::size_t(c * 12 + y * 4 + x)] = interleaved.bytes[std::size_t((y * 4 + x) * 3 + c)];
                flipped[std::size_t(((2 - y) * 4 + x) * 3 + c)] = interleaved.bytes[std::size_t((y * 4 + x) * 3 + c)];
            }
    planar.bytes = planes;
    planar.map.baseAddr = planar.bytes.data();
    planar.map.rowBytes = 4, planar.map.colBytes = 1, planar.map.planeBytes = 12;
    bottomUp.bytes = flipped;
    bottomUp.map.baseAddr = bottomUp.bytes.data() + 24;
    bottomUp.map.rowBytes = -12;
    versionZero.map.masks = reinterpret_cast<abi::PSPixelMask*>(64);
    for (const Picture* p : {&planar, &bottomUp, &versionZero}) {
        const auto image = p->read();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixels, expected->pixels);
    }

    // Part of the rectangle outside the bounds: the rest is drawn where it belongs.
    Picture partial;
    partial.rect = {-2, 1, 2, 9};
    const auto clipped = partial.read();
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->width, 3);
    EXPECT_EQ(clipped->height, 2);
    EXPECT_EQ(clipped->top, 9);  // two rows below dstRow
    EXPECT_EQ(clipped->left, 9);
    EXPECT_EQ(clipped->pixels[0], pixel(1, 0));
}

TEST(PixelMapImage, MasksShowTheCheckerboardThrough) {
    const struct {
        const char* name;
        std::int32_t description;
        std::uint8_t value;
        std::uint8_t expectedRed;  // of pixel (1, 0), red 10, over a light square (255)
    } cases[] = {
        {"opaque", abi::kMaskSimple, 255, 10},
        {"clear", abi::kMaskSimple, 0, 255},
        {"inverted clear", abi::kMaskInvert, 255, 255},
        {"half", abi::kMaskSimple, 128, 132},  // (128 * 10 + 127 * 255 + 127) / 255
        {"clear, premultiplied on black", abi::kMaskBlackMat, 0, 255},  // 10 + 255, clamped
        {"half, premultiplied on white", abi::kMaskWhiteMat, 128, 10},  // nothing to add on white
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p;
        p.masked();
        p.map.version = 2;
        p.maskRecord.maskDescription = c.description;
        std::fill(p.mask.begin(), p.mask.end(), c.value);
        const auto image = p.read();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixels[1] >> 16 & 255, c.expectedRed);
    }
    // The phase moves the squares: column 1 with phase 7 falls into the dark square.
    Picture p;
    p.masked();
    p.map.maskPhaseCol = 7;
    std::fill(p.mask.begin(), p.mask.end(), 0);
    const auto image = p.read();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels[0], 0xFFFFFFFFu);
    EXPECT_EQ(image->pixels[1], 0xFFCCCCCCu);
}

}  // namespace
}  // namespace mugwarp
