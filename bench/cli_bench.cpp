// What one mouse move costs through `mugwarp-cli warp`, beside the brush
// application alone: the same strokes replayed with and without a long run of
// moves, on a 4000 x 3000 picture, the difference divided by the moves; and
// whole conversions of that picture to GIF beside ImageMagick's.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kMoves = 300;

struct Workspace {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("mugwarp-cli-bench-" + std::to_string(getpid()));
    std::string picture = (dir / "large.bmp").string();
    std::string output = (dir / "out.bmp").string();

    Workspace() {
        std::filesystem::create_directories(dir);
        PixelSurface surface(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                surface.setPixel(x, y, makeArgb(255, std::uint8_t(x * 7 + y * 3), std::uint8_t((x ^ y) + y), std::uint8_t(x * y >> 5)));
        savePicture(surface, picture, kDefaultKeyColor);
    }
    ~Workspace() { std::filesystem::remove_all(dir); }
};

const Workspace& sharedWorkspace() {
    static const Workspace workspace;
    return workspace;
}

// Press at the first point, then `moves` moves two pixels apart.
std::string strokeOf(int size, int moves) {
    std::string points;
    for (int i = 0; i <= moves; ++i) {
        if (i > 0) points += '/';
        points += std::to_string(1500 + 2 * i) + ',' + std::to_string(1400 + i % 20);
    }
    return "--size " + std::to_string(size) + " warp:left:" + points;
}

struct Cost {
    double wallSeconds;
    double cpuSeconds;  // of the child, which a busy machine inflates less
};

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Cost runCli(const Workspace& w, const std::string& stroke) {
    const std::string command = std::string(MUGWARP_CLI) + " warp " + w.picture + " " + w.output + " " + stroke;
    const double cpuBefore = childCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return {-1, -1};
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    return {wall.count(), childCpuSeconds() - cpuBefore};
}

void BM_CliWarpPerMove(benchmark::State& state) {
    const Workspace& workspace = sharedWorkspace();
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        // The fastest of three runs each: loading and saving the picture are
        // the same in both and drop out of the difference.
        Cost pressOnly{1e9, 1e9}, long_{1e9, 1e9};
        for (int run = 0; run < 3; ++run) {
            const Cost a = runCli(workspace, strokeOf(size, 0));
            const Cost b = runCli(workspace, strokeOf(size, kMoves));
            if (a.wallSeconds < 0 || b.wallSeconds < 0) {
                state.SkipWithError("mugwarp-cli failed");
                return;
            }
            pressOnly = {std::min(pressOnly.wallSeconds, a.wallSeconds), std::min(pressOnly.cpuSeconds, a.cpuSeconds)};
            long_ = {std::min(long_.wallSeconds, b.wallSeconds), std::min(long_.cpuSeconds, b.cpuSeconds)};
        }
        const double perMove = (long_.wallSeconds - pressOnly.wallSeconds) / kMoves;
        state.SetIterationTime(perMove);
        state.counters["move_ms"] = perMove * 1e3;
        state.counters["move_cpu_ms"] = (long_.cpuSeconds - pressOnly.cpuSeconds) / kMoves * 1e3;
    }
}
BENCHMARK(BM_CliWarpPerMove)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// One whole process: wall clock and the child's processor time.
Cost timed(const std::string& command) {
    const double cpuBefore = childCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return {-1, -1};
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    return {wall.count(), childCpuSeconds() - cpuBefore};
}

Cost fastest(Cost a, Cost b) { return {std::min(a.wallSeconds, b.wallSeconds), std::min(a.cpuSeconds, b.cpuSeconds)}; }

// A whole process turning the 4000 x 3000 BMP into a GIF, ours beside
// ImageMagick's `convert` on the same file: the fastest of three runs.
Cost fastestOfThree(const std::string& command) {
    Cost best{1e9, 1e9};
    for (int run = 0; run < 3; ++run) {
        const Cost c = timed(command);
        if (c.wallSeconds < 0) return c;
        best = fastest(best, c);
    }
    return best;
}

void convertToGif(benchmark::State& state, const std::string& program) {
    const Workspace& workspace = sharedWorkspace();
    const std::string command = program + " " + workspace.picture + " " + (workspace.dir / "out.gif").string();
    for (auto _ : state) {
        const Cost cost = fastestOfThree(command);
        if (cost.wallSeconds < 0) {
            state.SkipWithError("the conversion failed");
            return;
        }
        state.SetIterationTime(cost.wallSeconds);
        state.counters["wall_ms"] = cost.wallSeconds * 1e3;
        state.counters["cpu_ms"] = cost.cpuSeconds * 1e3;
    }
}
// What Invert adds to a `mugwarp-cli edit` of the 12-megapixel BMP (the
// runner started by the run): the same edit with and without it, the fastest
// of seven runs each, taken in turns. Each edit spends some hundreds of
// milliseconds on its picture, and a machine that hands out fresh memory
// slowly swings that by more than the difference: fewer runs, or runs not
// taken in turns, measure the machine.
void BM_CliEditInvertOverPlainEdit(benchmark::State& state) {
    const Workspace& workspace = sharedWorkspace();
    const std::string edit = std::string(MUGWARP_CLI) + " edit --plugins " + MUGWARP_BUILT_PLUGINS_DIR + " " +
                             workspace.picture + " " + workspace.output + " rotate:cw";
    for (auto _ : state) {
        Cost plain{1e9, 1e9}, inverted{1e9, 1e9};
        for (int run = 0; run < 7 && plain.wallSeconds >= 0 && inverted.wallSeconds >= 0; ++run) {
            const Cost p = timed(edit), i = timed(edit + " 'filter:Mugwarp Adjust/Invert'");
            plain = p.wallSeconds < 0 ? p : fastest(plain, p);
            inverted = i.wallSeconds < 0 ? i : fastest(inverted, i);
        }
        if (plain.wallSeconds < 0 || inverted.wallSeconds < 0) {
            state.SkipWithError("mugwarp-cli failed");
            return;
        }
        state.SetIterationTime(inverted.wallSeconds - plain.wallSeconds);
        state.counters["added_ms"] = (inverted.wallSeconds - plain.wallSeconds) * 1e3;
        state.counters["added_cpu_ms"] = (inverted.cpuSeconds - plain.cpuSeconds) * 1e3;
    }
}
BENCHMARK(BM_CliEditInvertOverPlainEdit)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CliConvertBmpToGif(benchmark::State& state) { convertToGif(state, std::string(MUGWARP_CLI) + " convert"); }
void BM_ImageMagickConvertBmpToGif(benchmark::State& state) { convertToGif(state, "/usr/bin/convert"); }
BENCHMARK(BM_CliConvertBmpToGif)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickConvertBmpToGif)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
