// The brushes that take pulls back or protect from them, against the Warp
// brush on the same square of a 24-megapixel picture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "warp/warp_canvas.h"
#include "warp/warp_engine.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A 6000 x 4000 picture installed as the document installs it.
struct Picture {
    PixelSurface source{kWidth, kHeight};
    PixelSurface display;
    RemapTransform remap;

    Picture() {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                source.setPixel(x, y, makeArgb(255, std::uint8_t(x * 7 + y * 3), std::uint8_t((x ^ y) + y), std::uint8_t(x * y >> 5)));
        source.setOuterColor(0x00FDFEFF);
        source.setDrawMode(DrawMode::Blend);
        source.setCombineMode(CombineMode::Merge);
        source.setSamplerKind(SamplerKind::Bilinear);
        display = source;
        remap.displacementMap().setSize(kWidth, kHeight);
        remap.setSrcRect({0, 0, float(kWidth), float(kHeight)});
        remap.setMappingRect({0, 0, float(kWidth), float(kHeight)});
    }
};

// A smooth field of a few pixels' displacement, as a stroke leaves behind.
DisplacementMap swirlField(int size) {
    DisplacementMap field(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            field.setVector(x, y, {toFixed(static_cast<float>(3.0 * std::sin(x * 0.05 + y * 0.02))),
                                   toFixed(static_cast<float>(2.5 * std::cos(x * 0.03 - y * 0.04)))});
    return field;
}

double threadMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// One application each of Warp, Reconstruct, Smooth and Warp over a freeze
// mask (its left half frozen at every level), taken in turns on the same
// deformed square and timed by this thread's processor clock, so that a busy
// machine slows them alike; the ratios of the medians are the figures.
void BM_BrushToolsInTurns(benchmark::State& state) {
    static Picture picture;
    const int size = static_cast<int>(state.range(0));
    const PixelPoint at{kWidth / 2 - size / 2, kHeight / 2 - size / 2};
    const auto engineFor = [size](WarpTool tool) {
        WarpEngine engine;
        engine.setTool(tool);
        engine.setSize(size);
        return engine;
    };
    WarpEngine warp = engineFor(WarpTool::Warp);
    WarpEngine reconstruct = engineFor(WarpTool::Reconstruct);
    WarpEngine smooth = engineFor(WarpTool::Smooth);
    ByteMap mask(kWidth, kHeight);
    for (int y = at.y; y < at.y + size; ++y)
        for (int x = at.x; x < at.x + size / 2; ++x) mask.setValue(x, y, std::uint8_t(x * 255 / (at.x + size)));
    WarpCanvas plain{picture.source, picture.display, picture.remap};
    WarpCanvas masked{picture.source, picture.display, picture.remap, &mask};
    const DisplacementMap field = swirlField(size);
    DisplacementMap& map = picture.remap.displacementMap();
    const auto resetSquare = [&] {
        for (int y = 0; y < size; ++y) std::copy(field.row(y), field.row(y) + size, map.row(at.y + y) + at.x);
    };
    std::vector<double> times[4];
    for (auto _ : state) {
        const struct { WarpEngine* engine; WarpCanvas* canvas; } turns[4] = {
            {&warp, &plain}, {&reconstruct, &plain}, {&smooth, &plain}, {&warp, &masked}};
        for (int i = 0; i < 4; ++i) {
            resetSquare();
            turns[i].engine->beginStroke(at, 0);
            const double start = threadMicros();
            benchmark::DoNotOptimize(turns[i].engine->applyBrush(*turns[i].canvas, at));
            times[i].push_back(threadMicros() - start);
        }
    }
    const double warpMedian = median(times[0]);
    state.counters["warp_us"] = warpMedian;
    state.counters["reconstruct_us"] = median(times[1]);
    state.counters["smooth_us"] = median(times[2]);
    state.counters["warp_frozen_us"] = median(times[3]);
    state.counters["reconstruct_ratio"] = median(times[1]) / warpMedian;
    state.counters["smooth_ratio"] = median(times[2]) / warpMedian;
    state.counters["frozen_ratio"] = median(times[3]) / warpMedian;
}
BENCHMARK(BM_BrushToolsInTurns)->Arg(500)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
