// Invert on a 4000 x 3000 picture as the editor runs it, everything selected:
// in its own process (the earlier path), through the native runner and
// through the 64-bit and the 32-bit Windows runners under Wine (warm: the
// runner is started once; the picture lives in the runner's shared picture
// from the first run on, as the editor's display does),
// and each Wine runner's cold start (no wineserver running, then one run of a
// tiny picture); each start-up confined and not (argument 1 and 0), the
// native runner's as its start and first run of a tiny picture. Wine runs in
// a prefix of the build's own, so stopping its server disturbs nobody else's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "filterproc/filter_runner_host.h"
#include "pshost/plugin_list.h"
#include "pshost/ps_filter_host.h"
#include "raster/pixel_surface.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 4000, kHeight = 3000;

std::vector<std::uint32_t> pattern(int w, int h) {
    std::vector<std::uint32_t> p(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[std::size_t(y) * w + x] = 0xFF000000u | ((x * 37 + y) & 0xFF) << 16 | ((x + y * 29) & 0xFF) << 8 | ((x * y) & 0xFF);
    return p;
}

PIPLManager* invertIn(PSPluginList& list, const std::string& dir) {
    list.scanDirectory(dir, false);
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i).getName() == "Invert") return &list.item(i);
    return nullptr;
}

filterproc::RunnerLocations locations() {
    filterproc::RunnerLocations where = filterproc::defaultRunnerLocations(".");
    where.nativeRunner = MUGWARP_RUNNER_DIR "/mugwarp-filter-runner";
    where.windowsRunner = MUGWARP_RUNNER_DIR "/mugwarp-filter-runner.exe";
    where.windowsRunner32 = MUGWARP_RUNNER_DIR "/mugwarp-filter-runner32.exe";
    where.winePrefix = MUGWARP_RUNNER_DIR "/../bench-wine-prefix";
    return where;
}

// The picture the editor shows.
struct Picture {
    std::vector<std::uint32_t> pixels = pattern(kWidth, kHeight);
    PixelsView view() { return {pixels.data(), kWidth, kHeight, kWidth}; }
};

void InvertInProcess(benchmark::State& state) {
    PSPluginList list;
    PIPLManager* entry = invertIn(list, MUGWARP_BUILT_PLUGINS_DIR);
    if (!entry) return state.SkipWithError("sample filters not built");
    Picture p;
    PSFilterHost host;
    for (auto _ : state) {
        host.setPicture(p.view());
        host.setMask(nullptr);
        host.openModule(*entry);
        benchmark::DoNotOptimize(host.execute());
        host.closeModule();
    }
}

void runThroughRunner(benchmark::State& state, const std::string& dir) {
    PSPluginList list;
    PIPLManager* entry = invertIn(list, dir);
    if (!entry) return state.SkipWithError("filter modules not built");
    filterproc::FilterRunners runners(locations());
    filterproc::FilterRunnerHost host(runners);
    const std::string missing = host.whyCannotRun(entry->moduleKind);
    if (!missing.empty()) return state.SkipWithError(missing.c_str());
    Picture p;
    PixelSurface display(kWidth, kHeight);
    std::copy(p.pixels.begin(), p.pixels.end(), display.bits());
    const auto once = [&] {
        display.adoptStorage(host.pictureStorage(*entry, kWidth, kHeight, display.storage(), display.bits()));
        host.setPicture({display.bits(), kWidth, kHeight, kWidth});
        host.setMask(nullptr);
        return host.execute(*entry);
    };
    once();  // starts the runner and maps the shared picture
    for (auto _ : state) benchmark::DoNotOptimize(once());
}

void InvertNativeRunner(benchmark::State& state) { runThroughRunner(state, MUGWARP_BUILT_PLUGINS_DIR); }
void InvertWineRunnerWarm(benchmark::State& state) { runThroughRunner(state, MUGWARP_BUILT_PLUGINS_DIR "/windows"); }
void InvertWine32RunnerWarm(benchmark::State& state) {
    runThroughRunner(state, MUGWARP_BUILT_PLUGINS_DIR "/windows32");
}

// The three runners against in-process in turns, one run of each per
// iteration: the rows above are timed one after another, and this machine's
// memory speed drifts between them by more than the margins judged. Reports
// each path's median and the runners' medians over in-process.
void InvertRunnersAgainstInProcess(benchmark::State& state) {
    struct Path {
        const char* name;
        std::string dir;
        PSPluginList list;
        PIPLManager* entry = nullptr;
        std::unique_ptr<filterproc::FilterRunners> runners;
        std::unique_ptr<filterproc::FilterRunnerHost> host;
        PixelSurface display{kWidth, kHeight};
        std::vector<double> ms;
    };
    Picture p;
    PSFilterHost inProcess;
    std::vector<std::unique_ptr<Path>> paths;
    for (const auto& [name, dir] : {std::pair{"native", std::string(MUGWARP_BUILT_PLUGINS_DIR)},
                                    std::pair{"wine64", std::string(MUGWARP_BUILT_PLUGINS_DIR "/windows")},
                                    std::pair{"wine32", std::string(MUGWARP_BUILT_PLUGINS_DIR "/windows32")}}) {
        auto path = std::make_unique<Path>();
        path->name = name;
        path->entry = invertIn(path->list, dir);
        if (!path->entry) continue;
        path->runners = std::make_unique<filterproc::FilterRunners>(locations());
        path->host = std::make_unique<filterproc::FilterRunnerHost>(*path->runners);
        if (!path->host->whyCannotRun(path->entry->moduleKind).empty()) continue;
        std::copy(p.pixels.begin(), p.pixels.end(), path->display.bits());
        paths.push_back(std::move(path));
    }
    PSPluginList list;
    PIPLManager* entry = invertIn(list, MUGWARP_BUILT_PLUGINS_DIR);
    if (!entry || paths.empty()) return state.SkipWithError("filter modules not built");
    const auto runOnce = [&](Path& path) {
        path.display.adoptStorage(
            path.host->pictureStorage(*path.entry, kWidth, kHeight, path.display.storage(), path.display.bits()));
        path.host->setPicture({path.display.bits(), kWidth, kHeight, kWidth});
        path.host->setMask(nullptr);
        return path.host->execute(*path.entry);
    };
    for (auto& path : paths) runOnce(*path);  // starts each runner
    const auto millisecondsOf = [](auto&& work) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(work());
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> inProcessMs;
    for (auto _ : state) {
        inProcessMs.push_back(millisecondsOf([&] {
            inProcess.setPicture(p.view());
            inProcess.setMask(nullptr);
            inProcess.openModule(*entry);
            const bool finished = inProcess.execute();
            inProcess.closeModule();
            return finished;
        }));
        for (auto& path : paths) path->ms.push_back(millisecondsOf([&] { return runOnce(*path); }));
    }
    const auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double base = median(inProcessMs);
    state.counters["in_process_ms"] = base;
    for (auto& path : paths) {
        state.counters[std::string(path->name) + "_ms"] = median(path->ms);
        state.counters[std::string(path->name) + "_over"] = median(path->ms) / base;
    }
}

// Runners started from now on are confined (the editor's default) or not.
void chooseConfinement(benchmark::State& state) {
    ::setenv("MUGWARP_UNCONFINED_FILTERS", state.range(0) ? "0" : "1", 1);
    state.SetLabel(state.range(0) ? "confined" : "unconfined");
}

void NativeRunnerStart(benchmark::State& state) {
    PSPluginList list;
    PIPLManager* entry = invertIn(list, MUGWARP_BUILT_PLUGINS_DIR);
    if (!entry) return state.SkipWithError("sample filters not built");
    chooseConfinement(state);
    std::vector<std::uint32_t> pixels = pattern(16, 16);
    for (auto _ : state) {
        filterproc::FilterRunners runners(locations());
        filterproc::FilterRunnerHost host(runners);
        host.setPicture({pixels.data(), 16, 16, 16});
        benchmark::DoNotOptimize(host.execute(*entry));
    }
}

void coldStart(benchmark::State& state, const std::string& dir) {
    PSPluginList list;
    PIPLManager* entry = invertIn(list, dir);
    if (!entry) return state.SkipWithError("Windows filter modules not built");
    chooseConfinement(state);
    const filterproc::RunnerLocations where = locations();
    std::vector<std::uint32_t> pixels = pattern(16, 16);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string stop = "WINEPREFIX='" + where.winePrefix + "' /usr/lib/wine/wineserver -k 2>/dev/null; sleep 0.3";
        if (std::system(stop.c_str()) < 0) return state.SkipWithError("cannot stop the wineserver");
        state.ResumeTiming();
        filterproc::FilterRunners runners(where);
        filterproc::FilterRunnerHost host(runners);
        host.setPicture({pixels.data(), 16, 16, 16});
        benchmark::DoNotOptimize(host.execute(*entry));
    }
}

void WineRunnerColdStart(benchmark::State& state) { coldStart(state, MUGWARP_BUILT_PLUGINS_DIR "/windows"); }
void Wine32RunnerColdStart(benchmark::State& state) { coldStart(state, MUGWARP_BUILT_PLUGINS_DIR "/windows32"); }

}  // namespace

BENCHMARK(InvertInProcess)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(InvertNativeRunner)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(InvertWineRunnerWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(InvertWine32RunnerWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(InvertRunnersAgainstInProcess)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(NativeRunnerStart)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->MinTime(1.0)->UseRealTime();
BENCHMARK(WineRunnerColdStart)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Iterations(3);
BENCHMARK(Wine32RunnerColdStart)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Iterations(3);
BENCHMARK_MAIN();
