#include "warp/brush_outline.h"

#include <gtest/gtest.h>

namespace mugwarp {
namespace {

TEST(BrushOutline, SegmentCountIsRadiusPlusFourMadeEven) {
    BrushOutline o;
    o.setRadius(7);
    EXPECT_EQ(o.segments().size(), 12u);
    o.setRadius(8);
    EXPECT_EQ(o.segments().size(), 12u);
    o.setRadius(50);
    EXPECT_EQ(o.segments().size(), 54u);
}

TEST(BrushOutline, DashesAlternateFromBlackAndCloseTheCircle) {
    BrushOutline o;
    o.setCenter({100, 60});
    o.setRadius(21);
    const auto segments = o.segments();
    ASSERT_EQ(segments.size(), 26u);
    EXPECT_EQ(segments[0].color, 0xA0000000u);
    EXPECT_EQ(segments[1].color, 0xA0FFFFFFu);
    EXPECT_EQ(segments[25].color, 0xA0FFFFFFu);
    EXPECT_FLOAT_EQ(segments[0].x1, 121.0f);
    EXPECT_FLOAT_EQ(segments[0].y1, 60.0f);
    EXPECT_NEAR(segments.back().x2, 121.0f, 1e-3);
    EXPECT_NEAR(segments.back().y2, 60.0f, 1e-3);
    for (std::size_t i = 1; i < segments.size(); ++i) {
        EXPECT_EQ(segments[i].x1, segments[i - 1].x2);
        EXPECT_EQ(segments[i].y1, segments[i - 1].y2);
    }
}

TEST(BrushOutline, RadiusZeroGivesFourSegmentsAtTheCentre) {
    BrushOutline o;
    o.setCenter({5, 9});
    const auto segments = o.segments();
    ASSERT_EQ(segments.size(), 4u);
    for (const auto& s : segments) {
        EXPECT_FLOAT_EQ(s.x2, 5.0f);
        EXPECT_FLOAT_EQ(s.y2, 9.0f);
    }
}

TEST(BrushOutline, ReportsTheAreasToRepaint) {
    BrushOutline o;
    EXPECT_EQ(o.setRadius(50), (Rect{-50, -50, 51, 51}));
    EXPECT_EQ(o.setCenter({10, 20}), (Rect{-50, -50, 61, 71}));
    EXPECT_TRUE(o.setCenter({10, 20}).isEmpty());
    EXPECT_EQ(o.area(), (Rect{-40, -30, 61, 71}));
}

}  // namespace
}  // namespace mugwarp
