// A filter run through the host beside the same arithmetic as a plain loop
// over the picture, on a 4000 x 3000 picture: the difference is the host's
// own cost (unfiltered copy, plane buffers, write-back, mask).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "pshost/host_memory.h"
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
    std::vector<std::uint32_t> unfiltered = picture;
    std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(std::size_t(kWidth) * kHeight, 255);
    PIPLManager* entry = nullptr;

    explicit HostRun(const std::string& name) {
        plugins.scanDirectory(MUGWARP_BUILT_PLUGINS_DIR, false);
        for (int i = 0; i < plugins.count(); ++i)
            if (plugins.item(i).getName() == name) entry = &plugins.item(i);
    }
    // One run as the editor makes it: copy, mask, open, execute, close.
    bool run(bool repeat) {
        std::memcpy(unfiltered.data(), picture.data(), picture.size() * 4);
        std::fill(mask.begin(), mask.end(), 255);
        host.setPicture({picture.data(), kWidth, kHeight, kWidth}, {unfiltered.data(), kWidth, kHeight, kWidth});
        const MaskView m{mask.data(), kWidth, kHeight, kWidth};
        host.setMask(&m);
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

constexpr int kRadius = 5;

void HostGaussianBlur(benchmark::State& state) {
    HostRun r("Gaussian Blur...");
    if (!r.entry) return state.SkipWithError("sample filters not built");
    r.run(false);  // creates the parameter block; the repeats use radius 5
    *reinterpret_cast<std::int32_t*>(*r.host.keptParameters()) = kRadius;
    for (auto _ : state) benchmark::DoNotOptimize(r.run(true));
}

// The blur's own arithmetic (separable, 12-bit weights, edges repeated)
// straight on the 32-bit pixels.
void PlainGaussianBlur(benchmark::State& state) {
    std::vector<std::uint32_t> picture = pattern();
    std::vector<std::int32_t> w(2 * kRadius + 1);
    double sum = 0;
    std::vector<double> d(w.size());
    for (int k = -kRadius; k <= kRadius; ++k) sum += d[k + kRadius] = std::exp(-(k * k) / (2 * (kRadius / 2.0) * (kRadius / 2.0)));
    std::int32_t total = 0;
    for (std::size_t i = 0; i < w.size(); ++i) total += w[i] = std::int32_t(std::lround(d[i] / sum * 4096));
    w[kRadius] += 4096 - total;
    std::vector<std::uint16_t> across(std::size_t(kWidth) * kHeight * 3);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            const std::uint32_t* row = picture.data() + std::size_t(y) * kWidth;
            for (int x = 0; x < kWidth; ++x) {
                std::int32_t s[3] = {0, 0, 0};
                for (int k = -kRadius; k <= kRadius; ++k) {
                    const std::uint32_t p = row[std::clamp(x + k, 0, kWidth - 1)];
                    s[0] += w[k + kRadius] * int((p >> 16) & 0xFF);
                    s[1] += w[k + kRadius] * int((p >> 8) & 0xFF);
                    s[2] += w[k + kRadius] * int(p & 0xFF);
                }
                for (int c = 0; c < 3; ++c) across[(std::size_t(y) * kWidth + x) * 3 + c] = std::uint16_t((s[c] + 8) >> 4);
            }
        }
        for (int y = 0; y < kHeight; ++y) {
            std::uint32_t* row = picture.data() + std::size_t(y) * kWidth;
            for (int x = 0; x < kWidth; ++x) {
                std::int32_t s[3] = {0, 0, 0};
                for (int k = -kRadius; k <= kRadius; ++k) {
                    const std::uint16_t* a = &across[(std::size_t(std::clamp(y + k, 0, kHeight - 1)) * kWidth + x) * 3];
                    for (int c = 0; c < 3; ++c) s[c] += w[k + kRadius] * a[c];
                }
                row[x] = (row[x] & 0xFF000000u) | std::uint32_t(std::min(255, (s[0] + (1 << 19)) >> 20)) << 16 |
                         std::uint32_t(std::min(255, (s[1] + (1 << 19)) >> 20)) << 8 |
                         std::uint32_t(std::min(255, (s[2] + (1 << 19)) >> 20));
            }
        }
        benchmark::DoNotOptimize(picture.data());
    }
}

}  // namespace

BENCHMARK(PlainInvert)->Unit(benchmark::kMillisecond);
BENCHMARK(HostInvert)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainGaussianBlur)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(HostGaussianBlur)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
