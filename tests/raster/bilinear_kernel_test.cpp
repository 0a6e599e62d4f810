#include <gtest/gtest.h>

#include <random>

#include "raster/bilinear_kernel.h"
#include "raster/gamma_table.h"
#include "raster/samplers.h"

namespace mugwarp {
namespace {

// Both forms of the renderer's four-pixel mix, the portable one included on
// machines that never run it, against the resampler's own arithmetic.
TEST(BilinearKernelTest, EveryFormMatchesTheResampler) {
    std::mt19937 rng(17);
    const auto& gamma = gammaTable();
    for (int n = 0; n < 200000; ++n) {
        Argb upper[2] = {Argb(rng()), Argb(rng())};
        Argb lower[2] = {Argb(rng()), Argb(rng())};
        if (n % 7 == 0) upper[1] = lower[0] = 0xFFFFFFFF;
        if (n % 11 == 0) upper[0] = lower[1] = 0;
        const int fx = n < 65536 ? n & 255 : int(rng() & 255);
        const int fy = n < 65536 ? n >> 8 : int(rng() & 255);
        const std::uint32_t wx = gamma[255 - fx], wy = gamma[255 - fy];
        const Argb expected = bilinearInterior(upper[0], upper[1], lower[0], lower[1], fx, fy);
        ASSERT_EQ(raster_detail::swar::bilinearOne(upper, lower, wx, wy), expected) << n;
        ASSERT_EQ(raster_detail::bilinearOne(upper, lower, wx, wy), expected) << n;
        // The second pixel of a pair with the fractions swapped.
        const std::uint64_t pair = raster_detail::bilinearPair(upper, lower, wx, wy, upper, lower, wy, wx);
        ASSERT_EQ(Argb(pair), expected) << n;
        ASSERT_EQ(Argb(pair >> 32), bilinearInterior(upper[0], upper[1], lower[0], lower[1], fy, fx)) << n;
    }
}

}  // namespace
}  // namespace mugwarp
