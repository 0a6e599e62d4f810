// A filter run through the host beside the same arithmetic as a plain loop
// over the picture, on a 4000 x 3000 picture: the difference is the host's
// own cost (plane buffers, originals copied aside, write-back). The blur's
// plain loop is the filter's own band code over a plain buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "gaussian_blur_kernel.h"
#include "pshost/host_memory.h"
#include "pshost/module_resources.h"
#include "pshost/plugin_list.h"
#include "pshost/ps_filter_host.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 4000, kHeight = 3000;

std::vector<std::uint32_t> pattern() {
    std::vector<std::uint32_t> p(std::size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            p[std::size_t(y) * kWidth + x] = 0xFF000000u | ((x * 37 + y) & 0xFF) << 16 | ((x + y * 29) & 0xFF) << 8 | ((x * y) & 0xFF);
    return p;
}

struct HostRun {
    PSPluginList plugins;
    PSFilterHost host;
    std::vector<std::uint32_t> picture = pattern();
    PIPLManager* entry = nullptr;

    explicit HostRun(const std::string& name) {
        plugins.scanDirectory(MUGWARP_BUILT_PLUGINS_DIR, false);
        for (int i = 0; i < plugins.count(); ++i)
            if (plugins.item(i).getName() == name) entry = &plugins.item(i);
    }
    // One run as the editor makes it: the picture in place, everything
    // selected (no mask), open, execute, close.
    bool run(bool repeat) {
        host.setPicture({picture.data(), kWidth, kHeight, kWidth});
        host.setMask(nullptr);
        host.openModule(*entry);
        host.options.repeat = repeat;
        const bool finished = host.execute();
        host.closeModule();
        return finished;
    }
};

void HostInvert(benchmark::State& state) {
    HostRun r("Invert");
    if (!r.entry) return state.SkipWithError("sample filters not built");
    for (auto _ : state) benchmark::DoNotOptimize(r.run(false));
}

void PlainInvert(benchmark::State& state) {
    std::vector<std::uint32_t> picture = pattern();
    for (auto _ : state) {
        for (std::uint32_t& p : picture) p = (p & 0xFF000000u) | (~p & 0x00FFFFFFu);
        benchmark::DoNotOptimize(picture.data());
    }
}

// The two above in turns, a run of each per iteration, and the median of
// their ratio: timed one after the other, they can meet the machine's memory
// at different speeds.
void HostInvertAgainstPlain(benchmark::State& state) {
    HostRun r("Invert");
    if (!r.entry) return state.SkipWithError("sample filters not built");
    std::vector<std::uint32_t> plain = pattern();
    std::vector<double> hostMs, plainMs, ratios;
    const auto millisecondsOf = [](auto&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        plainMs.push_back(millisecondsOf([&] {
            for (std::uint32_t& p : plain) p = (p & 0xFF000000u) | (~p & 0x00FFFFFFu);
            benchmark::DoNotOptimize(plain.data());
        }));
        hostMs.push_back(millisecondsOf([&] { benchmark::DoNotOptimize(r.run(false)); }));
        ratios.push_back(hostMs.back() / plainMs.back());
    }
    const auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    state.counters["plain_ms"] = median(plainMs);
    state.counters["host_ms"] = median(hostMs);
    state.counters["ratio"] = median(ratios);
}

constexpr int kRadius = 5;

void HostGaussianBlur(benchmark::State& state) {
    HostRun r("Gaussian Blur...");
    if (!r.entry) return state.SkipWithError("sample filters not built");
    r.run(false);  // creates the parameter block; the repeats use radius 5
    *reinterpret_cast<std::int32_t*>(*r.host.keptParameters()) = kRadius;
    for (auto _ : state) benchmark::DoNotOptimize(r.run(true));
}

// The filter's own code (gaussian_blur_kernel.h, compiled into both) over a
// plain interleaved RGB buffer, band by band as the filter asks for them:
// what is left between the two is the host's share. The radius and the
// picture's size are values the compiler cannot see, as they are for the
// filter, which reads them from its record and parameter block: constants
// would let this loop be specialised for them.
void PlainGaussianBlur(benchmark::State& state) {
    const std::vector<std::uint32_t> picture = pattern();
    std::vector<std::uint8_t> in(std::size_t(kWidth) * kHeight * 3), out(in.size());
    for (std::size_t i = 0; i < picture.size(); ++i) {
        in[3 * i] = std::uint8_t(picture[i] >> 16);
        in[3 * i + 1] = std::uint8_t(picture[i] >> 8);
        in[3 * i + 2] = std::uint8_t(picture[i]);
    }
    int radius = kRadius, width = kWidth, height = kHeight;
    benchmark::DoNotOptimize(radius);
    benchmark::DoNotOptimize(width);
    benchmark::DoNotOptimize(height);
    const auto w = filters::gaussian::weights(radius);
    std::vector<std::uint16_t> tmp(std::size_t(filters::gaussian::kBandRows + 2 * radius) * width * 3);
    const std::ptrdiff_t rowBytes = std::ptrdiff_t(width) * 3;
    for (auto _ : state) {
        for (int top = 0; top < height; top += filters::gaussian::kBandRows) {
            const int bottom = std::min(height, top + filters::gaussian::kBandRows);
            const int inTop = std::max(0, top - radius), inBottom = std::min(height, bottom + radius);
            filters::gaussian::blurBand({in.data() + inTop * rowBytes, rowBytes, inTop, inBottom - inTop,
                                         out.data() + top * rowBytes, rowBytes, top, bottom, width, height},
                                        w, radius, tmp.data());
        }
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

// Discovery reads every module at the editor's start: what the hostile module
// kept from fuzzing costs beside a plain one.
void ReadModuleResources(benchmark::State& state, const std::string& path) {
    for (auto _ : state) benchmark::DoNotOptimize(readModuleResources(path));
}
BENCHMARK_CAPTURE(ReadModuleResources, sample_invert, std::string(MUGWARP_BUILT_PLUGINS_DIR "/invert.8bf"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadModuleResources, fuzzed_looping_directories,
                  std::string(MUGWARP_FUZZ_REGRESSIONS "/pe_resources/looping-directories-long-names"))
    ->Unit(benchmark::kMillisecond);

BENCHMARK(PlainInvert)->Unit(benchmark::kMillisecond);
BENCHMARK(HostInvert)->Unit(benchmark::kMillisecond);
BENCHMARK(HostInvertAgainstPlain)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainGaussianBlur)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(HostGaussianBlur)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
