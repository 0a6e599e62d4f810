// The flat-image tools and canvas operations on a 4000 x 3000 document: what
// a user waits for when entering the flat mode, dabbing a square, dragging a
// crop rectangle, resizing and turning the picture.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/flat_tools.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A document holding a 4000 x 3000 photograph-like picture, loaded from a BMP
// as the editor loads it; made once and shared.
Document& sharedDocument() {
    static std::unique_ptr<Document> document = [] {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / ("mugwarp-edit-bench-" + std::to_string(getpid()) + ".bmp");
        PixelSurface picture(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                picture.setPixel(x, y, makeArgb(255, std::uint8_t(x * 7 + y * 3), std::uint8_t((x ^ y) + y), std::uint8_t(x * y >> 5)));
        savePicture(picture, file.string(), 0);
        auto d = std::make_unique<Document>();
        d->loadPicture(file.string());
        std::filesystem::remove(file);
        return d;
    }();
    return *document;
}

// Choosing a flat tool from the arrow tool: bake the shown picture into the
// source, make the flat picture and paint its checkerboard.
void BM_EnterFlatMode(benchmark::State& state) {
    Document& d = sharedDocument();
    for (auto _ : state) {
        state.PauseTiming();
        d.selectArrowTool();
        state.ResumeTiming();
        d.selectFlatTool(ToolCode::Erase);
    }
    d.selectArrowTool();
}
BENCHMARK(BM_EnterFlatMode)->Unit(benchmark::kMillisecond)->Repetitions(3);

// One Erase square of size 26 during a drag (flat picture and both surfaces).
void BM_EraseMove26(benchmark::State& state) {
    Document& d = sharedDocument();
    d.selectFlatTool(ToolCode::Erase);
    FlatTools tools(d);
    tools.press({100, 100}, 26);
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % (kWidth - 30);
        benchmark::DoNotOptimize(tools.move({x, 1500}, 26));
    }
    tools.release();
    d.undo();
    d.selectArrowTool();
}
BENCHMARK(BM_EraseMove26)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// The press of a stroke also keeps the picture for undo.
void BM_ErasePress26(benchmark::State& state) {
    Document& d = sharedDocument();
    d.selectFlatTool(ToolCode::Erase);
    FlatTools tools(d);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tools.press({2000, 1500}, 26));
        tools.release();
    }
    d.undo();
    d.selectArrowTool();
}
BENCHMARK(BM_ErasePress26)->Unit(benchmark::kMillisecond)->Repetitions(3);

// One frame of the crop preview while dragging: the corner moves by a few
// pixels, as it does between two mouse moves.
void BM_CropPreviewFrame(benchmark::State& state) {
    Document& d = sharedDocument();
    d.selectFlatTool(ToolCode::Crop);
    FlatTools tools(d);
    tools.press({300, 200}, 0);
    tools.move({3000, 2000}, 0);  // the first frame darkens everything once
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 64;
        benchmark::DoNotOptimize(tools.move({3000 + step * 7, 2000 + step * 5}, 0));
    }
    d.selectArrowTool();
    tools.release();
}
BENCHMARK(BM_CropPreviewFrame)->Unit(benchmark::kMillisecond)->Repetitions(3);

// The press (copy and darkened copy of the flat picture) and the first frame.
void BM_CropPressAndFirstFrame(benchmark::State& state) {
    Document& d = sharedDocument();
    d.selectFlatTool(ToolCode::Crop);
    FlatTools tools(d);
    for (auto _ : state) {
        tools.press({300, 200}, 0);
        benchmark::DoNotOptimize(tools.move({3000, 2000}, 0));
        state.PauseTiming();
        d.selectArrowTool();  // leaves the crop without cutting
        tools.release();
        d.selectFlatTool(ToolCode::Crop);
        state.ResumeTiming();
    }
    d.selectArrowTool();
}
BENCHMARK(BM_CropPressAndFirstFrame)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_ImageSize5000x3750(benchmark::State& state) {
    Document& d = sharedDocument();
    for (auto _ : state) {
        resizePicture(d, 5000, 3750);
        state.PauseTiming();
        d.waitForHistoryPacking();
        d.undo();
        d.waitForHistoryPacking();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImageSize5000x3750)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_Rotate(benchmark::State& state) {
    Document& d = sharedDocument();
    const auto rotation = static_cast<Rotation>(state.range(0));
    for (auto _ : state) {
        rotatePicture(d, rotation);
        state.PauseTiming();
        // A user turns a picture now and then: the step's packing in the
        // background is over before the next turn.
        d.waitForHistoryPacking();
        d.undo();
        d.waitForHistoryPacking();
        state.ResumeTiming();
    }
    state.SetLabel(rotation == Rotation::HalfTurn ? "180" : rotation == Rotation::Clockwise ? "90 CW" : "90 CCW");
}
BENCHMARK(BM_Rotate)
    ->Arg(static_cast<int>(Rotation::HalfTurn))
    ->Arg(static_cast<int>(Rotation::Clockwise))
    ->Arg(static_cast<int>(Rotation::CounterClockwise))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
