// The remap renderer against the memory-bandwidth floor and a single-threaded
// bilinear cv::remap of the same 4000 x 3000 picture through the same swirl.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <time.h>

// OpenCV's headers mix enumeration types in arithmetic, which C++20 warns about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-enum-enum-conversion"
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#pragma GCC diagnostic pop

#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"

namespace {

using namespace mugwarp;

// CPU time of this thread: the machine is shared, and a render preempted by
// another process should not count the other's time.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr Rect kBrushSquare{1750, 1250, 2250, 1750};

// The document's set-up: bilinear source, drawn blended and merged onto a
// transparent display, map and rectangles of the source's size; the map holds
// a swirl over most of the picture whose rim reaches outside the source.
struct Scene {
    PixelSurface source{kWidth, kHeight};
    PixelSurface display{kWidth, kHeight};
    RemapTransform remap;
    cv::Mat cvSource, cvDestination, cvMap1, cvMap2;

    Scene() {
        std::mt19937 rng(42);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                source.setPixel(x, y, makeArgb(255, std::uint8_t(x * 7 + y * 3), std::uint8_t((x ^ y) + (rng() & 15)),
                                               std::uint8_t(x * y >> 5)));
        source.setBorderTransparent(source.bounds());
        source.setOuterColor(0x00FDFEFF);
        source.setDrawMode(DrawMode::Blend);
        source.setCombineMode(CombineMode::Merge);
        source.setSamplerKind(SamplerKind::Bilinear);
        DisplacementMap& map = remap.displacementMap();
        map.setSizeFrom(source);
        remap.setSrcRect({0, 0, float(kWidth), float(kHeight)});
        remap.setMappingRect({0, 0, float(kWidth), float(kHeight)});

        cv::Mat mapX(kHeight, kWidth, CV_32FC1), mapY(kHeight, kWidth, CV_32FC1);
        const double cx = kWidth / 2.0, cy = kHeight / 2.0, radius = 0.55 * kWidth;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const double dx = x - cx, dy = y - cy;
                const double r = std::sqrt(dx * dx + dy * dy);
                const double t = r < radius ? 1.0 - r / radius : 0.0;
                const double a = 1.2 * t * t;
                const double sx = cx + dx * std::cos(a) - dy * std::sin(a);
                const double sy = cy + dx * std::sin(a) + dy * std::cos(a);
                const FixedVector v{toFixed(float(sx - x)), toFixed(float(sy - y))};
                map.setVector(x, y, v);
                // The same source point as the renderer reads.
                mapX.at<float>(y, x) = float(x) + fixedToFloat(v.x);
                mapY.at<float>(y, x) = float(y) + fixedToFloat(v.y);
            }
        }
        cvSource = cv::Mat(kHeight, kWidth, CV_8UC4, source.bits());
        cvDestination = cv::Mat(kHeight, kWidth, CV_8UC4);
        cv::convertMaps(mapX, mapY, cvMap1, cvMap2, CV_16SC2, false);
        cv::setNumThreads(1);
    }

    // What the warp engine does for a rectangle: clear it, render into it.
    void render(const Rect& r) {
        display.fillRect(r, 0);
        transform(display, source, remap, r);
    }
    void renderReference(const Rect& r) {
        display.fillRect(r, 0);
        transformReference(display, source, remap, r);
    }
    void cvRemap() {
        cv::remap(cvSource, cvDestination, cvMap1, cvMap2, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar());
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void setRate(benchmark::State& state, std::int64_t pixels) {
    state.counters["Mpix/s"] =
        benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_RemapFull(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.render(s.display.bounds());
        benchmark::ClobberMemory();
    }
    setRate(state, std::int64_t(kWidth) * kHeight);
}

void BM_RemapFullReference(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.renderReference(s.display.bounds());
        benchmark::ClobberMemory();
    }
    setRate(state, std::int64_t(kWidth) * kHeight);
}

void BM_RemapBrushSquare500(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.render(kBrushSquare);
        benchmark::ClobberMemory();
    }
    setRate(state, std::int64_t(kBrushSquare.width()) * kBrushSquare.height());
}

void BM_CopyFloor(benchmark::State& state) {
    Scene& s = scene();
    const std::size_t bytes = std::size_t(kWidth) * kHeight * sizeof(Argb);
    for (auto _ : state) {
        std::memcpy(s.display.bits(), s.source.bits(), bytes);
        benchmark::ClobberMemory();
    }
    setRate(state, std::int64_t(kWidth) * kHeight);
}

void BM_CvRemap(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.cvRemap();
        benchmark::ClobberMemory();
    }
    setRate(state, std::int64_t(kWidth) * kHeight);
}

// Both full renders alternately in every iteration, so that the ratio is
// taken under the same machine load; time_ratio is ours over cv::remap's.
void BM_RemapVsCvRemap(benchmark::State& state) {
    Scene& s = scene();
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        s.render(s.display.bounds());
        benchmark::ClobberMemory();
        const double t1 = threadSeconds();
        s.cvRemap();
        benchmark::ClobberMemory();
        const double t2 = threadSeconds();
        ours += t1 - t0;
        theirs += t2 - t1;
    }
    const double pixels = double(kWidth) * kHeight * double(state.iterations());
    state.counters["ours_Mpix/s"] = pixels / ours / 1e6;
    state.counters["cv_Mpix/s"] = pixels / theirs / 1e6;
    state.counters["time_ratio"] = ours / theirs;
}

BENCHMARK(BM_RemapFull)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RemapFullReference)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RemapBrushSquare500)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CopyFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CvRemap)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RemapVsCvRemap)->Unit(benchmark::kMillisecond)->MinTime(4.0);

}  // namespace

BENCHMARK_MAIN();
