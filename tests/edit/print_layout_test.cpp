#include <gtest/gtest.h>

#include "edit/overlay_stack.h"
#include "edit/print_layout.h"

namespace mugwarp {
namespace {

TEST(PrintLayout, FitsKeepingTheAspect) {
    struct Case {
        Rect source, bounds, expected;
    };
    const Rect untouched{1, 2, 3, 4};
    const Case cases[] = {
        {{0, 0, 640, 480}, {0, 0, 4800, 6600}, {0, 1500, 4800, 5100}},  // landscape on portrait: full width
        {{0, 0, 480, 800}, {0, 0, 4800, 6600}, {420, 0, 4380, 6600}},   // portrait, wider page: full height
        {{0, 0, 200, 100}, {10, 10, 410, 210}, {10, 10, 410, 210}},     // equal proportions
        {{0, 0, 3, 2}, {0, 0, 5, 2}, {1, 0, 4, 2}},                      // 3 * 2 / 2 = 3
        {{0, 0, 2, 5}, {0, 0, 5, 5}, {1, 0, 3, 5}},                      // 2 * 5 / 5 = 2, (5 - 2) div 2 = 1
        {{0, 0, 5, 2}, {0, 0, 5, 5}, {0, 1, 5, 3}},                      // 2 * 5 / 5 = 2 high
        {{0, 0, 1, 4}, {0, 0, 2, 2}, {1, 0, 1, 2}},                      // 0.5 rounds to even 0
        {{0, 0, 0, 480}, {0, 0, 4800, 6600}, untouched},                 // nothing to fit
    };
    for (const Case& c : cases) EXPECT_EQ(fitRectKeepingAspect(c.source, c.bounds, untouched), c.expected);
}

TEST(PrintLayout, TilesCoverTheTargetOnceAndMeetWithoutGaps) {
    const Rect target{7, 3, 7 + 2500, 3 + 1100};
    const std::vector<Rect> tiles = printTiles(target);
    ASSERT_EQ(tiles.size(), 6u);
    EXPECT_EQ(tiles[0], (Rect{7, 3, 1031, 1027}));
    EXPECT_EQ(tiles[2], (Rect{2055, 3, 2507, 1027}));
    EXPECT_EQ(tiles[5], (Rect{2055, 1027, 2507, 1103}));
    long long area = 0;
    for (const Rect& t : tiles) {
        EXPECT_LE(t.width(), 1024);
        EXPECT_LE(t.height(), 1024);
        area += static_cast<long long>(t.width()) * t.height();
    }
    EXPECT_EQ(area, 2500LL * 1100);
    EXPECT_TRUE(printTiles(Rect{}).empty());

    // Tiles rendered one by one equal the stretch rendered at once.
    PixelSurface picture(5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) picture.setPixel(x, y, 0xFF000000u | Argb(x * 50) << 16 | Argb(y * 70));
    picture.setSamplerKind(SamplerKind::Bilinear);
    const Rect page{0, 0, 23, 17};
    const PixelSurface whole = renderPrintTile(picture, page, page);
    for (const Rect& t : printTiles(page, 6)) {
        const PixelSurface part = renderPrintTile(picture, page, t);
        for (int y = 0; y < t.height(); ++y)
            for (int x = 0; x < t.width(); ++x) ASSERT_EQ(part.pixel(x, y), whole.pixel(t.left + x, t.top + y));
    }
}

TEST(PrintLayout, PaperShowsThroughAndHiddenOverlaysStayOff) {
    PixelSurface display(3, 1);
    display.setPixel(0, 0, 0x00000000);  // erased
    display.setPixel(1, 0, 0x80000000);  // half-transparent black
    display.setPixel(2, 0, 0xFF123456);
    OverlayStack overlays;
    PixelSurface sticker(1, 1);
    sticker.setPixel(0, 0, 0xFF00FF00);
    sticker.setDrawMode(DrawMode::Blend);
    overlays.add(Overlay{{2, 0, 3, 1}, sticker});
    const PixelSurface page = composePrintPicture(display, overlays);
    EXPECT_EQ(page.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_NEAR(redOf(page.pixel(1, 0)), 127, 1);
    EXPECT_EQ(alphaOf(page.pixel(1, 0)), 255);
    EXPECT_EQ(page.pixel(2, 0), 0xFF00FF00u);
    overlays.setVisible(false);
    EXPECT_EQ(composePrintPicture(display, overlays).pixel(2, 0), 0xFF123456u);
    EXPECT_TRUE(composePrintPicture(PixelSurface(), overlays).isEmpty());
}

}  // namespace
}  // namespace mugwarp
