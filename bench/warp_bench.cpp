// Brush application against a single-threaded bilinear remap of the same
// square, and the memory an open document holds per pixel.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <unistd.h>
#include <vector>

#include "document/document.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "warp/kernel_choice.h"
#include "warp/warp_canvas.h"
#include "warp/warp_engine.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

Argb patternPixel(int x, int y) {
    return makeArgb(255, std::uint8_t(x * 7 + y * 3), std::uint8_t((x ^ y) + y), std::uint8_t(x * y >> 5));
}

// A 4000 x 3000 picture installed as the document installs it.
struct Picture {
    PixelSurface source{kWidth, kHeight};
    PixelSurface display;
    RemapTransform remap;

    Picture() {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) source.setPixel(x, y, patternPixel(x, y));
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

Picture& sharedPicture() {
    static Picture picture;
    return picture;
}

// A smooth field of a few pixels' displacement, as a stroke leaves behind.
DisplacementMap swirlField(int size) {
    DisplacementMap field(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            field.setVector(x, y, {toFixed(static_cast<float>(3.0 * std::sin(x * 0.05 + y * 0.02))),
                                   toFixed(static_cast<float>(2.5 * std::cos(x * 0.03 - y * 0.04)))});
    return field;
}

// One Warp application with the left button on a square that is either
// undeformed (the first touch of a stroke) or already deformed by a smooth
// field of a few pixels (every later touch). The square is put back before
// each iteration, outside the timing, so that every iteration does the same work.
void applyBrushWarpLeft(benchmark::State& state) {
    Picture& picture = sharedPicture();
    const int size = static_cast<int>(state.range(0));
    const bool deformed = state.range(1) != 0;
    WarpEngine engine;
    engine.setSize(size);
    engine.setTool(WarpTool::Warp);
    WarpCanvas canvas{picture.source, picture.display, picture.remap};
    const PixelPoint at{kWidth / 2 - size / 2, kHeight / 2 - size / 2};
    const DisplacementMap field = deformed ? swirlField(size) : DisplacementMap(size, size);
    DisplacementMap& map = picture.remap.displacementMap();
    map.clear();
    engine.beginStroke(at, 0);
    for (auto _ : state) {
        state.PauseTiming();
        for (int y = 0; y < size; ++y) std::copy(field.row(y), field.row(y) + size, map.row(at.y + y) + at.x);
        state.ResumeTiming();
        benchmark::DoNotOptimize(engine.applyBrush(canvas, at));
    }
    state.SetItemsProcessed(state.iterations() * size * size);
    state.counters["pixels"] = size * size;
}
void BM_ApplyBrushWarpLeft(benchmark::State& state) { applyBrushWarpLeft(state); }
BENCHMARK(BM_ApplyBrushWarpLeft)
    ->ArgNames({"size", "deformed"})
    ->Args({100, 0})->Args({300, 0})->Args({500, 0})
    ->Args({100, 1})->Args({300, 1})->Args({500, 1})
    ->Unit(benchmark::kMicrosecond);

// The same through the portable kernels, which processors without AVX2 run.
void BM_ApplyBrushWarpLeftPortable(benchmark::State& state) {
    warp_detail::setRowKernels(warp_detail::RowKernels::Portable);
    applyBrushWarpLeft(state);
    warp_detail::setRowKernels(warp_detail::widestRowKernels());
}
BENCHMARK(BM_ApplyBrushWarpLeftPortable)
    ->ArgNames({"size", "deformed"})
    ->Args({500, 0})->Args({500, 1})
    ->Unit(benchmark::kMicrosecond);

// What one step of the Size or Effect slider costs: the meshes rebuilt for
// the tool at the given effect.
void BM_BuildBrushMeshes(benchmark::State& state) {
    WarpEngine engine;
    engine.setSize(static_cast<int>(state.range(0)));
    engine.setTool(static_cast<WarpTool>(state.range(1)));
    engine.setEffect(static_cast<int>(state.range(2)));
    for (auto _ : state) {
        engine.updateBrushes();
        benchmark::DoNotOptimize(engine.mesh(0).row(0));
    }
}
BENCHMARK(BM_BuildBrushMeshes)
    ->ArgNames({"size", "tool", "effect"})
    ->Args({500, 0, 0})->Args({500, 1, 0})->Args({500, 2, 0})
    ->Args({500, 0, 40})->Args({500, 1, 40})->Args({500, 2, -40})
    ->Unit(benchmark::kMillisecond);

// The yardstick: bilinear remap of a 500 x 500 square of the same picture,
// fixed-point maps, one thread.
void BM_CvRemapSquare(benchmark::State& state) {
    Picture& picture = sharedPicture();
    cv::setNumThreads(1);
    const int size = static_cast<int>(state.range(0));
    const cv::Mat image(kHeight, kWidth, CV_8UC4, picture.source.bits());
    cv::Mat mapX(size, size, CV_32FC1), mapY(size, size, CV_32FC1);
    const int left = kWidth / 2 - size / 2, top = kHeight / 2 - size / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // A gentle swirl so that the samples are not on whole pixels.
            mapX.at<float>(y, x) = float(left + x) + 0.37f * float((y % 7) - 3);
            mapY.at<float>(y, x) = float(top + y) + 0.29f * float((x % 5) - 2);
        }
    }
    cv::Mat fixedXY, fixedFraction;
    cv::convertMaps(mapX, mapY, fixedXY, fixedFraction, CV_16SC2);
    cv::Mat out(size, size, CV_8UC4);
    for (auto _ : state) {
        cv::remap(image, out, fixedXY, fixedFraction, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar());
        benchmark::DoNotOptimize(out.data);
    }
    state.SetItemsProcessed(state.iterations() * size * size);
    state.counters["pixels"] = size * size;
}
BENCHMARK(BM_CvRemapSquare)->Arg(500)->Unit(benchmark::kMicrosecond);

// The two side by side: brush applications (Warp, left button, on the mildly
// deformed square) and remaps of the same square taken in turns and timed by
// this thread's processor clock, so that a busy machine slows both alike; the
// ratio of their medians is the figure.
double threadMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

void BM_BrushAgainstRemap(benchmark::State& state) {
    Picture& picture = sharedPicture();
    cv::setNumThreads(1);
    const int size = static_cast<int>(state.range(0));
    const PixelPoint at{kWidth / 2 - size / 2, kHeight / 2 - size / 2};
    WarpEngine engine;
    engine.setSize(size);
    engine.setTool(WarpTool::Warp);
    WarpCanvas canvas{picture.source, picture.display, picture.remap};
    const DisplacementMap field = swirlField(size);
    DisplacementMap& map = picture.remap.displacementMap();
    map.clear();
    engine.beginStroke(at, 0);
    const cv::Mat image(kHeight, kWidth, CV_8UC4, picture.source.bits());
    cv::Mat mapX(size, size, CV_32FC1), mapY(size, size, CV_32FC1);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            mapX.at<float>(y, x) = float(at.x + x) + 0.37f * float((y % 7) - 3);
            mapY.at<float>(y, x) = float(at.y + y) + 0.29f * float((x % 5) - 2);
        }
    }
    cv::Mat fixedXY, fixedFraction;
    cv::convertMaps(mapX, mapY, fixedXY, fixedFraction, CV_16SC2);
    cv::Mat out(size, size, CV_8UC4);
    std::vector<double> brushMicros, remapMicros;
    for (auto _ : state) {
        for (int y = 0; y < size; ++y) std::copy(field.row(y), field.row(y) + size, map.row(at.y + y) + at.x);
        const double start = threadMicros();
        benchmark::DoNotOptimize(engine.applyBrush(canvas, at));
        const double middle = threadMicros();
        cv::remap(image, out, fixedXY, fixedFraction, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar());
        benchmark::DoNotOptimize(out.data);
        const double end = threadMicros();
        brushMicros.push_back(middle - start);
        remapMicros.push_back(end - middle);
    }
    const auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    state.counters["brush_us"] = median(brushMicros);
    state.counters["remap_us"] = median(remapMicros);
    state.counters["ratio"] = median(brushMicros) / median(remapMicros);
}
BENCHMARK(BM_BrushAgainstRemap)->Arg(500)->Iterations(400)->Unit(benchmark::kMicrosecond);

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long total = 0, resident = 0;
    statm >> total >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Resident growth when a 6000 x 4000 picture is opened, per picture pixel.
void BM_DocumentMemory(benchmark::State& state) {
    constexpr int kW = 6000, kH = 4000;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("mugwarp-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "large.bmp").string();
    {
        PixelSurface picture(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) picture.setPixel(x, y, patternPixel(x, y));
        savePicture(picture, file, kDefaultKeyColor);
    }
    double perPixel = 0;
    for (auto _ : state) {
        const long before = residentBytes();
        auto document = std::make_unique<Document>();
        document->loadPicture(file);
        const long after = residentBytes();
        perPixel = double(after - before) / (double(kW) * kH);
        benchmark::DoNotOptimize(document->display().bits());
    }
    std::filesystem::remove_all(dir);
    state.counters["bytes_per_pixel"] = perPixel;
}
BENCHMARK(BM_DocumentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
