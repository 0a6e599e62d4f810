#include "warp/view_conversion.h"

#include <gtest/gtest.h>

namespace mugwarp {
namespace {

TEST(ViewToPicture, IsTheIdentityAt100AndHalvesAt200) {
    const ViewToPicture same(512, 384, 512, 384);
    EXPECT_EQ(same({0, 0}), (PixelPoint{0, 0}));
    EXPECT_EQ(same({511, 383}), (PixelPoint{511, 383}));
    EXPECT_EQ(same({-7, 9}), (PixelPoint{-7, 9}));
    const ViewToPicture doubled(512, 384, 1024, 768);
    EXPECT_EQ(doubled({101, 300}), (PixelPoint{50, 150}));
    EXPECT_EQ(doubled({-3, 1023}), (PixelPoint{-1, 511}));  // truncation toward zero
}

TEST(ViewToPicture, UsesRoundedFixedPointScales) {
    // 500 picture pixels in a 60 % view of 300: scale 109227 (1.66667).
    const ViewToPicture zoomed(500, 500, 300, 300);
    EXPECT_EQ(zoomed({3, 299}), (PixelPoint{5, 498}));
    EXPECT_EQ(zoomed({7, 1}), (PixelPoint{11, 1}));
    const ViewToPicture empty(10, 10, 0, 0);
    EXPECT_EQ(empty({5, 5}), (PixelPoint{0, 0}));
}

TEST(EraseSquareFromView, ConvertsCornerAndSizeByTheZoom) {
    EXPECT_EQ(eraseSquareFromView({40, 20}, 100, 26), (EraseSquare{40, 20, 26}));
    EXPECT_EQ(eraseSquareFromView({41, 21}, 200, 26), (EraseSquare{20, 10, 13}));
    EXPECT_EQ(eraseSquareFromView({-5, 7}, 300, 10), (EraseSquare{-1, 2, 3}));
    EXPECT_EQ(eraseSquareFromView({33, 33}, 20, 1), (EraseSquare{165, 165, 5}));
}

}  // namespace
}  // namespace mugwarp
