#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "raster/fixed.h"

namespace mugwarp {
namespace {

TEST(FixedTest, ConversionsRoundHalvesToEvenAndSaturate) {
    EXPECT_EQ(toFixed(1.5f), 98304);
    EXPECT_EQ(toFixed(-0.25f), -16384);
    // 2^-17 is half a unit: ties go to the even neighbour.
    EXPECT_EQ(toFixed(std::ldexp(1.0f, -17)), 0);
    EXPECT_EQ(toFixed(3 * std::ldexp(1.0f, -17)), 2);
    EXPECT_EQ(toFixed(-std::ldexp(1.0f, -17)), 0);
    EXPECT_EQ(toFixed(1e10f), INT_MAX);
    EXPECT_EQ(toFixed(-1e10f), INT_MIN);
    EXPECT_EQ(toFixed(NAN), 0);
    EXPECT_EQ(toFixed(INFINITY), INT_MAX);
    EXPECT_EQ(toFixed(7), 7 * 65536);
    EXPECT_EQ(toFixed(-3), -3 * 65536);
    EXPECT_EQ(toFixed(0.75), 49152);
    EXPECT_FLOAT_EQ(fixedToFloat(-98304), -1.5f);
}

TEST(FixedTest, MultiplyShiftsTheWideProductAndKeepsTheLow32Bits) {
    EXPECT_EQ(fixedMul(toFixed(3), toFixed(-2)), toFixed(-6));
    EXPECT_EQ(fixedMul(-1, 1), -1);  // arithmetic shift rounds down
    EXPECT_EQ(fixedMul(INT_MIN, INT_MIN), 0);  // 2^46, low 32 bits zero
    EXPECT_EQ(fixedMul(INT_MAX, toFixed(2)), -2);
}

TEST(FixedTest, RoundToIntegerDoesNotOverflowAtTheTop) {
    EXPECT_EQ(fixedRound(0x8000), 0);
    EXPECT_EQ(fixedRound(0x8001), 1);
    EXPECT_EQ(fixedRound(-0x8000), -1);
    EXPECT_EQ(fixedRound(-0x7FFF), 0);
    EXPECT_EQ(fixedRound(INT_MAX), 32768);
    EXPECT_EQ(fixedRound(INT_MIN), -32768);
}

TEST(FixedTest, CombineStepsFromBTowardsA) {
    EXPECT_EQ(fixedCombine(toFixed(10), toFixed(2), 0), toFixed(2));
    EXPECT_EQ(fixedCombine(toFixed(10), toFixed(2), 32768), toFixed(6));
    EXPECT_EQ(fixedCombine(toFixed(10), toFixed(2), 65535), toFixed(10) - 8);
    EXPECT_EQ(fixedCombine(INT_MAX, INT_MIN, 65535), INT_MAX - 65536);
    EXPECT_EQ(fixedCombine(INT_MIN, INT_MAX, 65535), INT_MIN + 65535);
}

TEST(FixedTest, AddAndSubtractWrap) {
    EXPECT_EQ(fixedAdd(INT_MAX, 1), INT_MIN);
    EXPECT_EQ(fixedSub(INT_MIN, 1), INT_MAX);
}

}  // namespace
}  // namespace mugwarp
