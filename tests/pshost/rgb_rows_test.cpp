#include <gtest/gtest.h>

#include <vector>

#include "pshost/rgb_rows.h"

namespace mugwarp::test {
namespace {

// Every kernel this processor runs, restored to the widest afterwards.
class RgbRowsEachKernel : public ::testing::TestWithParam<RgbRowKernels> {
protected:
    void SetUp() override {
        setRgbRowKernels(GetParam());
        if (GetParam() != RgbRowKernels::Portable && widestRgbRowKernels() < GetParam())
            GTEST_SKIP() << "this processor lacks these vector units";
    }
    void TearDown() override { setRgbRowKernels(widestRgbRowKernels()); }
};

INSTANTIATE_TEST_SUITE_P(Kernels, RgbRowsEachKernel,
                         ::testing::Values(RgbRowKernels::Portable, RgbRowKernels::Ssse3, RgbRowKernels::Avx2,
                                           RgbRowKernels::Avx512));

// Row lengths around the vector steps (8, 16, 32 pixels, the 3 that must
// follow an AVX2 step, the masked ends of AVX-512 ones), at every start
// offset that changes the alignment the streaming stores need; nothing
// outside the row may be touched.
TEST_P(RgbRowsEachKernel, EveryLengthAndAlignmentConvertsExactlyAndStaysInItsRow) {
    constexpr int kGuard = 40;
    for (const bool stream : {false, true}) {
        for (const int count : {0, 1, 10, 11, 12, 15, 16, 17, 31, 32, 42, 43, 44, 47, 48, 49, 75, 100, 131}) {
            for (int offset = 0; offset < 16; ++offset) {
                SCOPED_TRACE(std::to_string(count) + " pixels at " + std::to_string(offset) +
                             (stream ? ", streaming" : ""));
                std::vector<std::uint32_t> pixels(std::size_t(count + offset + kGuard));
                for (std::size_t i = 0; i < pixels.size(); ++i)
                    pixels[i] = 0x5A000000u | (std::uint32_t(i * 0x030507u) & 0x00FFFFFFu);
                std::vector<std::uint8_t> bytes(std::size_t(count + offset + kGuard) * 3, 0xEE);
                std::uint8_t* out = bytes.data() + offset * 5;  // every byte alignment
                AlphaSeen seen;
                packRgbRow(pixels.data() + offset, out, count, seen, stream);
                endStreaming();
                for (int x = 0; x < count; ++x) {
                    const std::uint32_t c = pixels[std::size_t(offset + x)];
                    ASSERT_EQ(out[3 * x], std::uint8_t(c >> 16)) << x;
                    ASSERT_EQ(out[3 * x + 1], std::uint8_t(c >> 8)) << x;
                    ASSERT_EQ(out[3 * x + 2], std::uint8_t(c)) << x;
                }
                for (std::size_t i = 0; i < bytes.size(); ++i)
                    if (bytes.data() + i < out || bytes.data() + i >= out + 3 * count) {
                        ASSERT_EQ(bytes[i], 0xEE) << i;
                    }
                EXPECT_EQ(seen.uniform(), count > 0);

                // Back, inverted: unpack keeps each pixel's alpha, store sets one.
                for (int i = 0; i < 3 * count; ++i) out[i] = std::uint8_t(~out[i]);
                for (const bool keepAlpha : {true, false}) {
                    std::vector<std::uint32_t> back = pixels;
                    if (keepAlpha) {
                        unpackRgbRow(out, back.data() + offset, count);
                    } else {
                        storeRgbRow(out, back.data() + offset, count, 0x81000000u, stream);
                        endStreaming();
                    }
                    for (std::size_t i = 0; i < back.size(); ++i) {
                        const bool inRow = i >= std::size_t(offset) && i < std::size_t(offset + count);
                        const std::uint32_t alpha = keepAlpha ? 0x5A000000u : 0x81000000u;
                        ASSERT_EQ(back[i], inRow ? alpha | (~pixels[i] & 0x00FFFFFFu) : pixels[i]) << i;
                    }
                }
            }
        }
    }
}

// One pixel of another alpha, wherever it lies, makes the row's alpha mixed.
TEST_P(RgbRowsEachKernel, OneOddAlphaAnywhereIsSeen) {
    for (const int odd : {-1, 0, 7, 8, 31, 32, 40, 63, 70}) {
        SCOPED_TRACE(odd);
        std::vector<std::uint32_t> pixels(71, 0xFF123456u);
        if (odd >= 0) pixels[std::size_t(odd)] = 0xFE123456u;
        std::vector<std::uint8_t> bytes(pixels.size() * 3);
        for (const bool stream : {false, true}) {
            AlphaSeen seen;
            packRgbRow(pixels.data(), bytes.data(), int(pixels.size()), seen, stream);
            EXPECT_EQ(seen.uniform(), odd < 0);
            if (odd < 0) {
                EXPECT_EQ(seen.alpha(), 0xFF000000u);
            }
        }
        endStreaming();
    }
}

}  // namespace
}  // namespace mugwarp::test
