// The wide row kernels against the cell-by-cell ones, and whole brush
// applications through either against the plain reference, on deformed maps
// and with the brush square across every edge of the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "canvas_fixture.h"
#include "raster/gamma_table.h"
#include "warp/kernel_choice.h"
#include "warp/row_kernels.h"
#include "warp/warp_engine.h"

namespace mugwarp {
namespace {

using testing::CanvasFixture;
using testing::KernelChoice;
using warp_detail::RowKernels;

Fixed randomFixed(std::mt19937& rng, Fixed reach) { return std::uniform_int_distribution<Fixed>(-reach, reach)(rng); }

// Mostly small deformations, some whole-pixel or zero neighbourhoods, and a
// few vectors long enough to leave the picture.
void deform(DisplacementMap& map, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 19);
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            const int k = kind(rng);
            FixedVector v{};
            if (k == 0) {
                v = {randomFixed(rng, 200 << 16), randomFixed(rng, 200 << 16)};
            } else if (k == 1) {
                v = {toFixed(static_cast<int>(randomFixed(rng, 3))), toFixed(static_cast<int>(randomFixed(rng, 3)))};
            } else if (k > 4) {
                v = {randomFixed(rng, 6 << 16), randomFixed(rng, 6 << 16)};
            }
            map.setVector(x, y, v);
        }
    }
}

// Only asserts when equal-sized; otherwise reports the first difference.
::testing::AssertionResult sameCells(const std::vector<FixedVector>& a, const std::vector<FixedVector>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i]))
            return ::testing::AssertionFailure() << "cell " << i << ": (" << a[i].x << ", " << a[i].y << ") vs ("
                                                 << b[i].x << ", " << b[i].y << ")";
    return ::testing::AssertionSuccess();
}

TEST(RowKernels, WideComposeMatchesCellByCell) {
    using ComposeFunction = void (*)(const warp_detail::ComposeRow&, int, int, FixedVector*);
    const struct {
        const char* name;
        bool runs;
        ComposeFunction compose;
    } wideKernels[] = {{"AVX2", warp_detail::avx2Available(), warp_detail::composeCellsAvx2},
                       {"AVX-512", warp_detail::avx512Available(), warp_detail::composeCellsAvx512}};
    if (!warp_detail::avx2Available()) GTEST_SKIP() << "this processor has no AVX2, so there is no wide kernel to compare";
    std::mt19937 rng(11);
    DisplacementMap map(67, 41);
    const int size = 53;
    DisplacementMap mesh(size, 1);
    for (int round = 0; round < 400; ++round) {
        deform(map, rng);
        // Every third mesh row is smooth, as real brushes are: runs of cells
        // whose displaced points fall in one map row, a column apart.
        const bool smooth = round % 3 == 2;
        const FixedVector base{randomFixed(rng, 9 << 16), randomFixed(rng, 9 << 16)};
        for (int s = 0; s < size; ++s)
            mesh.setVector(s, 0,
                           smooth ? FixedVector{base.x + s * 97, base.y - s * 53}
                                  : FixedVector{randomFixed(rng, 9 << 16), randomFixed(rng, 9 << 16)});
        const bool scaled = round % 2 == 1;
        const Fixed mx = scaled ? randomFixed(rng, 40 << 16) : kFixedOne;
        const Fixed my = scaled ? randomFixed(rng, 40 << 16) : kFixedOne;
        const int left = std::uniform_int_distribution<int>(-size, map.width())(rng);
        const int y = std::uniform_int_distribution<int>(-3, map.height() + 2)(rng);
        const warp_detail::ComposeRow row{mesh.row(0), MapCells(map), mx, my, scaled, left, toFixed(y)};
        const int first = std::uniform_int_distribution<int>(0, size - 1)(rng);
        const int last = std::uniform_int_distribution<int>(first, size - 1)(rng);
        std::vector<FixedVector> plain(size);
        warp_detail::composeCells(row, first, last, plain.data());
        for (const auto& kernel : wideKernels) {
            if (!kernel.runs) continue;
            std::vector<FixedVector> wide(size);
            kernel.compose(row, first, last, wide.data());
            ASSERT_TRUE(sameCells(wide, plain)) << kernel.name << ", round " << round;
        }
    }
}

struct WideRender {
    const char* name;
    void (*render)(const warp_detail::RenderRow&, int, int, const FixedVector*, Argb*);
};

// The wide render kernels this processor runs.
std::vector<WideRender> wideRenders() {
    std::vector<WideRender> kernels;
    if (warp_detail::avx2Available()) kernels.push_back({"AVX2", warp_detail::renderPixelsAvx2});
    if (warp_detail::avx512Available()) kernels.push_back({"AVX-512", warp_detail::renderPixelsAvx512});
    return kernels;
}

TEST(RowKernels, WideRenderMatchesPixelByPixel) {
    const std::vector<WideRender> wideKernels = wideRenders();
    if (wideKernels.empty()) GTEST_SKIP() << "this processor has no AVX2, so there is no wide kernel to compare";
    std::mt19937 rng(12);
    CanvasFixture f(71, 37);
    const BilinearSource sample(f.source, gammaTable());
    const int width = f.source.width(), height = f.source.height();
    std::vector<FixedVector> vectors(width);
    std::uniform_int_distribution<int> kind(0, 9);
    // The first rounds are whole rows that weigh every 1/256 fraction along
    // and down the row, every other one with runs of pixels a row lower and
    // a column either way, as gentle deformations read; the rest are random.
    constexpr int kSweeps = 256;
    for (int round = 0; round < 2000 + kSweeps; ++round) {
        const int y = std::uniform_int_distribution<int>(0, height - 1)(rng);
        for (int s = 0; s < width; ++s) {
            if (round < kSweeps) {
                // (v + 127) >> 8 lands on fraction f of a 256th.
                const auto onto = [](int f) { return static_cast<Fixed>(f * 256 - 127); };
                vectors[s] = {onto((round + s) & 255), onto((round * 3 + s * 5) & 255)};
                if (round % 2 == 1) vectors[s] = {vectors[s].x + toFixed((s / 7) % 3 - 1), vectors[s].y + toFixed((s / 5) % 2)};
                continue;
            }
            const int k = kind(rng);
            FixedVector v{randomFixed(rng, 4 << 16), randomFixed(rng, 4 << 16)};
            if (k == 0) v = {randomFixed(rng, 100 << 16), randomFixed(rng, 100 << 16)};
            // Exactly onto the last column or row, or just short of them.
            if (k == 1) v.x = toFixed(width - 1 - s) - std::uniform_int_distribution<Fixed>(-200, 200)(rng);
            if (k == 2) v.y = toFixed(height - 1 - y) - std::uniform_int_distribution<Fixed>(-200, 200)(rng);
            if (k == 3) v = {std::numeric_limits<Fixed>::max() - s, std::numeric_limits<Fixed>::min() + s};
            if (round % 4 == 0 && k > 3) v = {randomFixed(rng, 1 << 16), randomFixed(rng, 1 << 16)};
            vectors[s] = v;
        }
        const warp_detail::RenderRow row{&sample, f.source.bits(), width, height, 0, y};
        const int first = round < kSweeps ? 0 : std::uniform_int_distribution<int>(0, width - 1)(rng);
        const int last = round < kSweeps ? width - 1 : std::uniform_int_distribution<int>(first, width - 1)(rng);
        std::vector<Argb> plain(width, 0x12345678);
        warp_detail::renderPixels(row, first, last, vectors.data(), plain.data());
        for (const WideRender& kernel : wideKernels) {
            std::vector<Argb> wide(width, 0x12345678);
            kernel.render(row, first, last, vectors.data(), wide.data());
            ASSERT_EQ(wide, plain) << kernel.name << ", round " << round;
        }
    }
}

// A gentle deformation read through every row of pictures about as narrow
// as the source windows the wide kernels mix from, so that the windows meet
// the picture's right and bottom edges.
TEST(RowKernels, WideRenderMatchesPixelByPixelOnNarrowPictures) {
    const std::vector<WideRender> wideKernels = wideRenders();
    if (wideKernels.empty()) GTEST_SKIP() << "this processor has no AVX2, so there is no wide kernel to compare";
    for (const int width : {16, 17, 31, 32, 33, 39, 40, 41, 47, 48}) {
        for (const int height : {3, 4, 9}) {
            CanvasFixture f(width, height);
            const BilinearSource sample(f.source, gammaTable());
            std::vector<FixedVector> vectors(width);
            for (int y = 0; y < height; ++y) {
                for (int s = 0; s < width; ++s)
                    vectors[s] = {toFixed(static_cast<float>(0.7 * std::sin(s * 0.4 + y))),
                                  toFixed(static_cast<float>(0.6 * std::cos(s * 0.3 - y)))};
                const warp_detail::RenderRow row{&sample, f.source.bits(), width, height, 0, y};
                std::vector<Argb> plain(width, 0x12345678);
                warp_detail::renderPixels(row, 0, width - 1, vectors.data(), plain.data());
                for (const WideRender& kernel : wideKernels) {
                    std::vector<Argb> wide(width, 0x12345678);
                    kernel.render(row, 0, width - 1, vectors.data(), wide.data());
                    ASSERT_EQ(wide, plain) << kernel.name << ", " << width << " x " << height << ", row " << y;
                }
            }
        }
    }
}

TEST(RowKernels, ARequestTheProcessorCannotRunGivesTheWidestItCan) {
    const struct {
        RowKernels kernels;
        bool runs;
    } requests[] = {{RowKernels::Portable, true},
                    {RowKernels::Avx2, warp_detail::avx2Available()},
                    {RowKernels::Avx512, warp_detail::avx512Available()}};
    for (const auto& request : requests) {
        const KernelChoice choice(request.kernels);
        EXPECT_EQ(warp_detail::rowKernels(), request.runs ? request.kernels : warp_detail::widestRowKernels())
            << testing::kernelName(request.kernels);
    }
    // Wider kernels use every extension the narrower ones do.
    EXPECT_TRUE(!warp_detail::avx512Available() || warp_detail::avx2Available());
}

struct Outcome {
    DisplacementMap map;
    PixelSurface display;
};

// A deformed picture, then strokes of every tool with the square at the
// given corner, through the chosen kernels.
Outcome strokesAt(PixelPoint at, int size, RowKernels kernels, unsigned seed) {
    const KernelChoice choice(kernels);
    CanvasFixture f(83, 61);
    std::mt19937 rng(seed);
    deform(f.map(), rng);
    f.display.fillRect(f.display.bounds(), 0);
    transform(f.display, f.source, f.remap);
    WarpCanvas c = f.canvas();
    WarpEngine e;
    e.setSize(size);
    for (WarpTool tool : {WarpTool::Warp, WarpTool::Twirl, WarpTool::Putty}) {
        e.setTool(tool);
        for (int button = 0; button < 2; ++button) {
            e.beginStroke({at.x - 3, at.y + 2}, button);
            e.applyBrush(c, at);
            e.applyBrush(c, {at.x + 1, at.y - 1});
        }
    }
    return {f.map(), f.display};
}

TEST(RowKernels, StrokesAtEveryEdgeAgreeWithThePortableKernelsAndAFullRender) {
    const int width = 83, height = 61;
    for (int size : {9, 24, 40}) {
        const int xs[] = {-size + 1, -size / 2, -1, 0, 1, width / 2 - size / 2, width - size - 1, width - size,
                          width - size / 2, width - 1};
        const int ys[] = {-size + 1, -size / 2, 0, 1, height / 2 - size / 2, height - size, height - size / 2, height - 1};
        for (int x : xs) {
            for (int y : ys) {
                const unsigned seed = static_cast<unsigned>(size * 10007 + (x + 100) * 101 + y + 100);
                const Outcome portable = strokesAt({x, y}, size, RowKernels::Portable, seed);
                const Outcome wide = strokesAt({x, y}, size, warp_detail::widestRowKernels(), seed);
                for (int j = 0; j < height; ++j)
                    for (int i = 0; i < width; ++i) {
                        ASSERT_EQ(wide.map.vector(i, j), portable.map.vector(i, j))
                            << "size " << size << " at " << x << ", " << y << " cell " << i << ", " << j;
                        ASSERT_EQ(wide.display.pixel(i, j), portable.display.pixel(i, j))
                            << "size " << size << " at " << x << ", " << y << " pixel " << i << ", " << j;
                    }
                // And what the display shows is what a full render of the final map shows.
                CanvasFixture f(width, height);
                f.map() = wide.map;
                PixelSurface full(width, height);
                transform(full, f.source, f.remap);
                ASSERT_TRUE(testing::samePixels(wide.display, full)) << "size " << size << " at " << x << ", " << y;
            }
        }
    }
}

}  // namespace
}  // namespace mugwarp
