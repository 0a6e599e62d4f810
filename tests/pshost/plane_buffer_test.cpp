#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "filter_test_support.h"
#include "pshost/plane_buffer.h"

namespace mugwarp::test {
namespace {

constexpr std::size_t kNoLimit = std::size_t(1) << 30;

PlaneRequest request(int top, int left, int bottom, int right, int lo, int hi, abi::Fixed rate = 0) {
    return {{std::int16_t(top), std::int16_t(left), std::int16_t(bottom), std::int16_t(right)},
            std::int16_t(lo), std::int16_t(hi), 0, 0, rate};
}

TEST(PlaneBuffer, LaysOutTheRequestedPlanesPixelByPixel) {
    Picture p = patternPicture(7, 5);
    struct Case {
        int lo, hi;
    };
    for (const Case c : {Case{0, 2}, Case{1, 1}, Case{1, 2}}) {
        PlaneBuffer buffer;
        const PlaneAnswer a = fillBuffer(request(0, 0, 5, 7, c.lo, c.hi), buffer, OriginalPixels(p.view()), kNoLimit);
        const int n = c.hi - c.lo + 1;
        ASSERT_NE(a.data, nullptr);
        EXPECT_EQ(a.rowBytes, 7 * n);
        EXPECT_EQ(a.columnBytes, n);
        EXPECT_EQ(a.planeBytes, 1);
        const auto* bytes = static_cast<const std::uint8_t*>(a.data);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                for (int k = 0; k < n; ++k) ASSERT_EQ(bytes[y * 7 * n + x * n + k], p.channel(x, y, c.lo + k));
    }
}

TEST(PlaneBuffer, ARequestInsideTheLastBlockPointsIntoIt) {
    Picture p = patternPicture(10, 8);
    PlaneBuffer buffer;
    const PlaneAnswer whole = fillBuffer(request(0, 0, 8, 10, 0, 2), buffer, OriginalPixels(p.view()), kNoLimit);
    static_cast<std::uint8_t*>(whole.data)[(3 * 10 + 4) * 3] = 99;  // the filter's own result stays
    const PlaneAnswer part = fillBuffer(request(3, 4, 6, 9, 0, 2), buffer, OriginalPixels(p.view()), kNoLimit);
    EXPECT_EQ(part.data, static_cast<std::uint8_t*>(whole.data) + (3 * 10 + 4) * 3);
    EXPECT_EQ(part.rowBytes, 30);
    EXPECT_EQ(*static_cast<std::uint8_t*>(part.data), 99);
    // Other planes or another rate refill from the picture.
    const PlaneAnswer other = fillBuffer(request(3, 4, 6, 9, 0, 1), buffer, OriginalPixels(p.view()), kNoLimit);
    EXPECT_EQ(other.rowBytes, 10);
    EXPECT_EQ(*static_cast<std::uint8_t*>(other.data), p.channel(4, 3, 0));
}

TEST(PlaneBuffer, SamplesEveryRatePixelsAndZeroesWhatLiesOutside) {
    Picture p = patternPicture(9, 9);
    PlaneBuffer buffer;
    const PlaneAnswer a = fillBuffer(request(0, 0, 4, 4, 0, 0, 3 << 16), buffer, OriginalPixels(p.view()), kNoLimit);
    const auto* b = static_cast<const std::uint8_t*>(a.data);
    EXPECT_EQ(b[1 * 4 + 2], p.channel(6, 3, 0));
    EXPECT_EQ(b[3 * 4 + 3], 0);  // (9, 9) is outside
    const PlaneAnswer half = fillBuffer(request(0, 0, 2, 2, 0, 0, 1 << 15), buffer, OriginalPixels(p.view()), kNoLimit);
    EXPECT_EQ(static_cast<const std::uint8_t*>(half.data)[3], p.channel(1, 1, 0));  // below 1 counts as 1
    const PlaneAnswer edge = fillBuffer(request(-2, -2, 2, 2, 2, 2), buffer, OriginalPixels(p.view()), kNoLimit);
    EXPECT_EQ(static_cast<const std::uint8_t*>(edge.data)[0], 0);
    EXPECT_EQ(static_cast<const std::uint8_t*>(edge.data)[2 * 4 + 2], p.channel(0, 0, 2));
    EXPECT_EQ(fillBuffer(request(0, 0, 4, 4, 0, 3), buffer, OriginalPixels(p.view()), kNoLimit).error, abi::kParamErr);
    EXPECT_EQ(fillBuffer(request(-32768, -32768, 32767, 32767, 0, 2), buffer, OriginalPixels(p.view()), 1 << 20).error,
              abi::kMemFullErr);
}

// The usual request, all three planes, goes many pixels at a time: rows
// shorter than, equal to and past a whole number of those steps, at odd
// columns, come out and go back exactly, alpha untouched: alpha varying,
// alike (written without reading the picture), alike but in the last pixel.
TEST(PlaneBuffer, AllPlanesRoundTripAtEveryRowLength) {
    enum class Alpha { Varying, Alike, OneOdd };
    for (const Alpha mode : {Alpha::Varying, Alpha::Alike, Alpha::OneOdd}) {
        for (const int width : {1, 15, 16, 17, 31, 32, 33, 50, 67}) {
            for (const int left : {0, 3}) {
                SCOPED_TRACE(std::to_string(width) + " from " + std::to_string(left) + ", alpha " +
                             std::to_string(int(mode)));
                Picture p = patternPicture(left + width + 2, 3);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < left + width + 2; ++x) {
                        const std::uint32_t alpha = mode == Alpha::Varying ? std::uint32_t((x * 41 + y) & 0xFF) : 0x80u;
                        p.at(x, y) = (p.at(x, y) & 0x00FFFFFFu) | alpha << 24;
                    }
                if (mode == Alpha::OneOdd) p.at(left + width - 1, 2) &= 0x10FFFFFFu;
                Picture original = p;
                PlaneBuffer buffer;
                const PlaneAnswer a =
                    fillBuffer(request(0, left, 3, left + width, 0, 2), buffer, OriginalPixels(p.view()), kNoLimit);
                auto* bytes = static_cast<std::uint8_t*>(a.data);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < width; ++x)
                        for (int k = 0; k < 3; ++k) ASSERT_EQ(bytes[(y * width + x) * 3 + k], p.channel(left + x, y, k));
                for (std::uint8_t& b : buffer.bytes) b = std::uint8_t(255 - b);
                writeBack(buffer, OriginalPixels(p.view()), nullptr);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < left + width + 2; ++x) {
                        const bool inside = x >= left && x < left + width;
                        ASSERT_EQ(p.at(x, y), inside ? original.at(x, y) ^ 0x00FFFFFFu : original.at(x, y))
                            << x << "," << y;
                    }
            }
        }
    }
}

// Blocks too large for the cache are shared with a worker: the same bytes
// and the same picture as without one, and the one pixel of another alpha,
// in either half, still seen (so the picture keeps each pixel's alpha).
TEST(PlaneBuffer, LargeBlocksSharedWithAWorkerComeOutAsWithout) {
    constexpr int kWidth = 2400, kHeight = 2400;  // 17 MB of planes
    for (const int oddRow : {-1, 10, kHeight - 1}) {
        SCOPED_TRACE(oddRow);
        Picture p = patternPicture(kWidth, kHeight);
        if (oddRow >= 0) p.at(kWidth / 2, oddRow) &= 0x7FFFFFFFu;
        Picture alone = p;
        HalfWorker worker;
        PlaneBuffer shared, single;
        fillBuffer(request(0, 0, kHeight, kWidth, 0, 2), shared, OriginalPixels(p.view()), kNoLimit, &worker);
        fillBuffer(request(0, 0, kHeight, kWidth, 0, 2), single, OriginalPixels(alone.view()), kNoLimit);
        ASSERT_EQ(shared.alpha.uniform(), oddRow < 0);
        ASSERT_TRUE(std::equal(shared.bytes.begin(), shared.bytes.end(), single.bytes.begin()));
        for (std::size_t i = 0; i < shared.bytes.size(); ++i) shared.bytes.data()[i] = single.bytes.data()[i] = std::uint8_t(i * 7);
        writeBack(shared, OriginalPixels(p.view()), nullptr, &worker);
        writeBack(single, OriginalPixels(alone.view()), nullptr);
        ASSERT_TRUE(p.pixels == alone.pixels);
    }
}

TEST(PlaneBuffer, WriteBackClipsToThePictureAndKeepsOtherChannels) {
    Picture p = patternPicture(6, 4);
    const Picture original = p;
    PlaneBuffer buffer;
    fillBuffer(request(2, 3, 6, 9, 1, 1), buffer, OriginalPixels(p.view()), kNoLimit);
    std::fill(buffer.bytes.begin(), buffer.bytes.end(), 7);
    writeBack(buffer, OriginalPixels(p.view()), nullptr);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const std::uint32_t expected = x >= 3 && y >= 2 ? (original.at(x, y) & 0xFFFF00FFu) | 0x0700 : original.at(x, y);
            ASSERT_EQ(p.at(x, y), expected) << x << "," << y;
        }
    }
}

TEST(PlaneBuffer, TheMaskBlendsFilteredWithUnfilteredPixels) {
    struct Case {
        std::uint8_t mask;
        int expected;  // filtered 0, unfiltered 200
    };
    for (const Case c : {Case{255, 0}, Case{128, 100}, Case{0, 200}}) {
        Picture unfiltered(2, 1);
        unfiltered.pixels = {0x80C8C8C8u, 0x80C8C8C8u};
        Picture picture = unfiltered;
        Mask mask(2, 1, c.mask);
        PlaneBuffer buffer;
        fillBuffer(request(0, 0, 1, 2, 0, 2), buffer, OriginalPixels(unfiltered.view()), kNoLimit);
        std::fill(buffer.bytes.begin(), buffer.bytes.end(), 0);
        MaskView m = mask.view();
        writeBack(buffer, OriginalPixels(picture.view()), &m);
        EXPECT_EQ(picture.channel(1, 0, 1), c.expected) << int(c.mask);
        EXPECT_EQ(picture.at(1, 0) >> 24, 0x80u);  // alpha is never the filter's
    }
}

TEST(PlaneBuffer, PlanesWrittenInSeparatePassesAreEachBlendedOnce) {
    Picture unfiltered(1, 1);
    unfiltered.pixels = {0xFFC8C8C8u};
    Picture picture = unfiltered;
    Mask mask(1, 1, 128);
    MaskView m = mask.view();
    OriginalPixels original(picture.view());
    for (int plane : {0, 1}) {
        PlaneBuffer buffer;
        fillBuffer(request(0, 0, 1, 1, plane, plane), buffer, original, kNoLimit);
        buffer.bytes.data()[0] = 0;
        ASSERT_TRUE(original.save(0, 0, 1, 1));
        writeBack(buffer, original, &m);
    }
    EXPECT_EQ(picture.channel(0, 0, 0), 100);
    EXPECT_EQ(picture.channel(0, 0, 1), 100);
    EXPECT_EQ(picture.channel(0, 0, 2), 200);
}

// Writes into a picture after saving what they overwrite, in the shapes a
// run's output blocks take: whatever was written, the originals read back
// exactly (whole rows, parts of rows, single pixels) and restore exactly.
TEST(OriginalPixels, KeepWhatEachWriteOverwritesAndPutItBack) {
    struct Write {
        int top, left, bottom, right;
    };
    struct Case {
        const char* name;
        std::vector<Write> writes;
    };
    const Case cases[] = {
        {"one rectangle", {{1, 2, 3, 6}}},
        {"apart in the same rows", {{0, 1, 2, 3}, {0, 7, 2, 9}}},
        {"widening to both sides", {{2, 4, 3, 6}, {2, 1, 3, 5}, {1, 5, 4, 10}}},
        {"reaching outside", {{-3, -3, 2, 2}, {4, 8, 99, 99}}},
        {"the same twice", {{0, 0, 5, 10}, {0, 0, 5, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p = patternPicture(10, 5);
        const Picture before = p;
        OriginalPixels original(p.view());
        std::uint32_t marker = 0x11000000u;
        for (const Write& w : c.writes) {
            ASSERT_TRUE(original.save(w.top, w.left, w.bottom, w.right));
            for (int y = std::max(0, w.top); y < std::min(5, w.bottom); ++y)
                for (int x = std::max(0, w.left); x < std::min(10, w.right); ++x) p.at(x, y) = ++marker;
        }
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 10; ++x) ASSERT_EQ(original.pixel(x, y), before.at(x, y)) << x << "," << y;
            for (const auto& [x0, x1] : {std::pair{0, 10}, std::pair{3, 8}, std::pair{9, 10}}) {
                std::vector<std::uint32_t> row;
                original.forEachRun(y, x0, x1, [&](const std::uint32_t* pixels, int x, int count) {
                    ASSERT_EQ(x, x0 + int(row.size()));
                    row.insert(row.end(), pixels, pixels + count);
                });
                ASSERT_EQ(row, std::vector<std::uint32_t>(&before.pixels[std::size_t(y) * 10 + x0],
                                                          &before.pixels[std::size_t(y) * 10 + x1]));
            }
        }
        original.restore();
        EXPECT_EQ(p.pixels, before.pixels);
        // A new run starts from the picture as it is then.
        p.at(4, 2) = 7;
        original.beginRun();
        EXPECT_EQ(original.pixel(4, 2), 7u);
    }
}

// Blocks of every size class, huge-page ones included, hold all their bytes
// and keep their storage when they shrink.
TEST(PlaneBuffer, BlocksHoldTheirWholeSize) {
    ByteBlock block;
    for (const std::size_t size : {std::size_t(1), std::size_t(4093), (std::size_t(5) << 20) + 1, std::size_t(100),
                                   std::size_t(9) << 20}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(block.resize(size));
        std::memset(block.data(), 0x5C, size);
        EXPECT_EQ(block.data()[size - 1], 0x5C);
        EXPECT_GE(block.capacity(), size);
    }
    EXPECT_EQ(block.capacity(), std::size_t(9) << 20);
}

TEST(PlaneBuffer, MaskRequestsKeepTheirGeometryOutsideTheMask) {
    Mask mask(3, 2, 9);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(fillMaskBuffer({-1, -1, 3, 4}, 0, mask.view(), bytes, kNoLimit));
    ASSERT_EQ(bytes.size(), 20u);  // 4 rows of 5, rowBytes 5
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1 * 5 + 1], 9);
    EXPECT_EQ(bytes[3 * 5 + 1], 0);
}

}  // namespace
}  // namespace mugwarp::test
