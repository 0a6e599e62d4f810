// Brush strokes are pinned to the pixels and vectors they gave when the
// kernels were known to be right, whichever kernels the processor runs: a
// faster application must not move a single pixel.
#include <gtest/gtest.h>

#include "canvas_fixture.h"
#include "support/content_hash.h"
#include "warp/kernel_choice.h"
#include "warp/warp_engine.h"

namespace mugwarp {
namespace {

using testing::CanvasFixture;
using testing::KernelChoice;
using warp_detail::RowKernels;

std::uint64_t digestOf(CanvasFixture& f) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (int y = 0; y < f.display.height(); ++y)
        h = test::contentHash({reinterpret_cast<const std::uint8_t*>(f.display.row(y)), std::size_t(f.display.width()) * 4}, h);
    const DisplacementMap& map = f.map();
    for (int y = 0; y < map.height(); ++y)
        h = test::contentHash({reinterpret_cast<const std::uint8_t*>(map.row(y)), std::size_t(map.width()) * sizeof(FixedVector)}, h);
    return h;
}

// A stroke of each tool: a run of moves that overlap (so later applications
// read what earlier ones deformed), ending across the picture's corner.
std::uint64_t strokeDigest(WarpTool tool, int size, int effect, int button) {
    CanvasFixture f(900, 700);
    WarpEngine engine;
    engine.setSize(size);
    engine.setTool(tool);
    engine.setEffect(effect);
    WarpCanvas canvas = f.canvas();
    engine.beginStroke({150, 60}, button);
    for (int i = 0; i < 12; ++i) engine.applyBrush(canvas, {150 + 17 * i, 60 + 9 * i - (i % 3) * 5});
    for (int i = 0; i < 4; ++i) engine.applyBrush(canvas, {900 - size / 2 + 7 * i, 700 - size / 3 + 5 * i});
    return digestOf(f);
}

TEST(BrushPixels, StrokesArePinnedWithEitherKernels) {
    struct Case {
        const char* name;
        WarpTool tool;
        int size, effect, button;
        std::uint64_t digest;
    };
    const Case cases[] = {
        {"warp 500 left", WarpTool::Warp, 500, 0, 0, 1937937557958965600ull},
        {"warp 500 right, pinched", WarpTool::Warp, 500, 40, 1, 10035706436187498341ull},
        {"twirl 500 left", WarpTool::Twirl, 500, -30, 0, 6310714732618268086ull},
        {"putty 500", WarpTool::Putty, 500, 0, 0, 12285893820676310536ull},
        {"putty 61", WarpTool::Putty, 61, 70, 0, 16582324845783125646ull},
        {"twirl 61 right", WarpTool::Twirl, 61, 0, 1, 3777418920559005415ull},
    };
    for (const RowKernels kernels : testing::runnableKernels()) {
        const KernelChoice choice(kernels);
        for (const Case& c : cases)
            EXPECT_EQ(strokeDigest(c.tool, c.size, c.effect, c.button), c.digest)
                << c.name << " (" << testing::kernelName(kernels) << ")";
    }
}

}  // namespace
}  // namespace mugwarp
