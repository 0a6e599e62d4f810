// The undo history on a 4000 x 3000 photograph: what a long warp stroke adds
// to it and how long its end waits for the recording; how long Undo and Redo
// of a whole-picture step (a filter run) take; and the two fast general
// compressors the steps could be packed with, side by side on the same data.
#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zstd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/packed_rows.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "warp/stroke_controller.h"

namespace {

using namespace mugwarp;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// The sample portrait enlarged to 12 megapixels with a camera's grain on it,
// so that differences compress as a real photograph's do, not better.
PixelSurface photograph() {
    const PlatformBitmap portrait = loadPicture(std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg");
    PixelSurface out(kWidth, kHeight);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> grain(-5, 5);
    for (int y = 0; y < kHeight; ++y) {
        const int sy = y * portrait.height() / kHeight;
        for (int x = 0; x < kWidth; ++x) {
            const Argb p = portrait.pixelArgb(x * portrait.width() / kWidth, sy);
            const auto channel = [&](int shift) { return std::uint8_t(std::clamp(int(p >> shift & 0xFF) + grain(random), 0, 255)); };
            out.setPixel(x, y, makeArgb(255, channel(16), channel(8), channel(0)));
        }
    }
    return out;
}

// A soft 3 x 3 blur, the kind of whole-picture change a filter makes.
PixelSurface blurred(const PixelSurface& in) {
    PixelSurface out = in;
    for (int y = 1; y < in.height() - 1; ++y)
        for (int x = 1; x < in.width() - 1; ++x) {
            Argb sum[4] = {0, 0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    for (int c = 0; c < 4; ++c) sum[c] += in.row(y + dy)[x + dx] >> (c * 8) & 0xFF;
            Argb p = 0;
            for (int c = 0; c < 4; ++c) p |= (sum[c] / 9) << (c * 8);
            out.row(y)[x] = p;
        }
    return out;
}

struct Fixture {
    Document document;
    PixelSurface original;
    PixelSurface filtered;
    Fixture() {
        original = photograph();
        filtered = blurred(original);
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / ("mugwarp-history-bench-" + std::to_string(getpid()) + ".bmp");
        savePicture(original, file.string(), 0);
        document.loadPicture(file.string());
        std::filesystem::remove(file);
    }
};

Fixture& fixture() {
    static std::unique_ptr<Fixture> f = std::make_unique<Fixture>();
    return *f;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A 200-move Putty stroke with brush 100 across the face; the time is that of
// the stroke's end (the release that records the step).
void BM_RecordLongStroke(benchmark::State& state) {
    Fixture& f = fixture();
    StrokeController strokes(f.document);
    strokes.selectTool(WarpTool::Putty);
    strokes.setBrushSize(100);
    double bytes = 0, packMs = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        strokes.press({1600, 1200}, {true, false, false});
        for (int i = 1; i <= 200; ++i) strokes.move({1600 + 2 * i, 1200 + (i % 40 < 20 ? i % 20 : 20 - i % 20)}, {true, false, false});
        state.ResumeTiming();
        strokes.release();
        state.PauseTiming();
        const Clock::time_point start = Clock::now();
        f.document.waitForHistoryPacking();
        packMs += millisecondsSince(start);
        bytes += double(f.document.historyUsage().bytes);  // the only step: the last one was undone and is dropped
        ++runs;
        f.document.undo();
        state.ResumeTiming();
    }
    state.counters["step_KB"] = bytes / runs / 1024.0;
    state.counters["background_pack_ms"] = packMs / runs;
}
BENCHMARK(BM_RecordLongStroke)->Iterations(8)->Unit(benchmark::kMillisecond);

// A filter-like change of every pixel becomes one step: what the run's end
// waits for, and then Undo and Redo of it.
void BM_RecordWholePictureStep(benchmark::State& state) {
    Fixture& f = fixture();
    double bytes = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.document.display() = f.filtered;
        state.ResumeTiming();
        f.document.commitChange();
        state.PauseTiming();
        f.document.waitForHistoryPacking();
        bytes += double(f.document.historyUsage().bytes);  // the only step: the last one was undone and is dropped
        ++runs;
        f.document.undo();
        state.ResumeTiming();
    }
    state.counters["step_MB"] = bytes / runs / 1048576.0;
}
BENCHMARK(BM_RecordWholePictureStep)->Iterations(6)->Unit(benchmark::kMillisecond);

void undoOrRedoWholePicture(benchmark::State& state, bool timeUndo) {
    Fixture& f = fixture();
    f.document.display() = f.filtered;
    f.document.commitChange();
    f.document.waitForHistoryPacking();
    for (auto _ : state) {
        if (!timeUndo) state.PauseTiming();
        f.document.undo();
        if (!timeUndo) state.ResumeTiming();
        if (timeUndo) state.PauseTiming();
        f.document.redo();
        if (timeUndo) state.ResumeTiming();
    }
    f.document.undo();
}
void BM_UndoWholePictureStep(benchmark::State& state) { undoOrRedoWholePicture(state, true); }
void BM_RedoWholePictureStep(benchmark::State& state) { undoOrRedoWholePicture(state, false); }
BENCHMARK(BM_UndoWholePictureStep)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoWholePictureStep)->Iterations(10)->Unit(benchmark::kMillisecond);

// A quarter turn keeps both pictures whole: its memory, and Undo of it.
void BM_UndoQuarterTurn(benchmark::State& state) {
    Fixture& f = fixture();
    rotatePicture(f.document, Rotation::Clockwise);
    f.document.waitForHistoryPacking();
    state.counters["step_MB"] = double(f.document.historyUsage().bytes) / 1048576.0;
    for (auto _ : state) {
        f.document.undo();
        state.PauseTiming();
        f.document.redo();
        f.document.waitForHistoryPacking();
        state.ResumeTiming();
    }
    f.document.undo();
}
BENCHMARK(BM_UndoQuarterTurn)->Iterations(6)->Unit(benchmark::kMillisecond);

// The compressors on one core, 1 MB chunks, on the blur's byte differences
// (arg 0) and on the photograph itself (arg 1, what a size change keeps).
enum class Codec { Zstd1, Lz4 };
void compressorComparison(benchmark::State& state, Codec codec) {
    Fixture& f = fixture();
    const PixelSurface data = state.range(0) == 0 ? byteDifference(f.original, f.filtered, f.original.bounds()) : f.original;
    const auto* raw = reinterpret_cast<const char*>(data.row(0));
    const std::size_t total = std::size_t(kWidth) * kHeight * sizeof(Argb), chunk = std::size_t{1} << 20;
    std::vector<std::vector<char>> packed;
    double packMs = 0, unpackMs = 0;
    std::size_t packedBytes = 0;
    std::vector<char> scratch(chunk);
    for (auto _ : state) {
        packed.clear();
        packedBytes = 0;
        Clock::time_point start = Clock::now();
        for (std::size_t at = 0; at < total; at += chunk) {
            const std::size_t n = std::min(chunk, total - at);
            std::vector<char> out(codec == Codec::Zstd1 ? ZSTD_compressBound(n) : std::size_t(LZ4_compressBound(int(n))));
            const std::size_t got = codec == Codec::Zstd1 ? ZSTD_compress(out.data(), out.size(), raw + at, n, 1)
                                                          : std::size_t(LZ4_compress_default(raw + at, out.data(), int(n), int(out.size())));
            out.resize(got);
            packedBytes += got;
            packed.push_back(std::move(out));
        }
        packMs += millisecondsSince(start);
        start = Clock::now();
        for (const std::vector<char>& p : packed) {
            if (codec == Codec::Zstd1) {
                benchmark::DoNotOptimize(ZSTD_decompress(scratch.data(), chunk, p.data(), p.size()));
            } else {
                benchmark::DoNotOptimize(LZ4_decompress_safe(p.data(), scratch.data(), int(p.size()), int(chunk)));
            }
        }
        unpackMs += millisecondsSince(start);
    }
    const double runs = double(state.iterations());
    state.counters["packed_MB"] = double(packedBytes) / 1048576.0;
    state.counters["ratio"] = double(total) / double(packedBytes);
    state.counters["pack_ms"] = packMs / runs;
    state.counters["unpack_ms"] = unpackMs / runs;
}
void BM_CompressZstdLevel1(benchmark::State& state) { compressorComparison(state, Codec::Zstd1); }
void BM_CompressLz4(benchmark::State& state) { compressorComparison(state, Codec::Lz4); }
BENCHMARK(BM_CompressZstdLevel1)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressLz4)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
