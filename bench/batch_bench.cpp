// mugwarp-cli batch over 40 photographs of 1600 x 1200 with a Windows filter
// (Invert under Wine) and a warp stroke, with one job and with two, beside
// `mugwarp-cli edit` started once per picture, which pays Wine's start every
// time. Counters: pictures per second and seconds per picture (wall clock).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace {

using namespace mugwarp;
namespace fs = std::filesystem;

constexpr int kPictures = 40;
constexpr int kWidth = 1600;
constexpr int kHeight = 1200;
const std::string kActions = "'filter:Mugwarp Adjust/Invert' warp:left:800,600/840,620/880,640";
const std::string kPlugins = std::string(" --plugins ") + MUGWARP_BUILT_PLUGINS_DIR + "/windows ";

struct Workspace {
    fs::path dir = fs::temp_directory_path() / ("mugwarp-batch-bench-" + std::to_string(getpid()));
    std::vector<std::string> pictures;

    Workspace() {
        fs::create_directories(dir / "in");
        for (int i = 0; i < kPictures; ++i) {
            PixelSurface surface(kWidth, kHeight);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    surface.setPixel(x, y, makeArgb(255, std::uint8_t(x * 7 + y * 3 + i), std::uint8_t((x ^ y) + i),
                                                    std::uint8_t(x * y >> 5)));
            pictures.push_back((dir / "in" / ("photo" + std::to_string(i) + ".jpg")).string());
            savePicture(surface, pictures.back(), kDefaultKeyColor);
        }
        // Wine's prefix is made on its very first start; that is not what is measured.
        run(std::string(MUGWARP_CLI) + " edit " + pictures[0] + " " + (dir / "warm.jpg").string() + kPlugins + kActions);
    }
    ~Workspace() { fs::remove_all(dir); }

    // Output goes to a log, whose last line says what went wrong when it did.
    bool run(const std::string& command) const {
        return std::system((command + " > " + (dir / "log").string() + " 2>&1").c_str()) == 0;
    }
    std::string lastLogLine() const {
        std::ifstream log(dir / "log");
        std::string line, last;
        while (std::getline(log, line))
            if (!line.empty()) last = line;
        return last;
    }
};

Workspace& workspace() {
    static Workspace w;
    return w;
}

void report(benchmark::State& state, double seconds) {
    state.SetIterationTime(seconds);
    state.counters["pictures_per_s"] = kPictures / seconds;
    state.counters["s_per_picture"] = seconds / kPictures;
}

void BM_Batch(benchmark::State& state) {
    Workspace& w = workspace();
    std::string files;
    for (const std::string& p : w.pictures) files += " " + p;
    for (auto _ : state) {
        fs::remove_all(w.dir / "out");
        const auto start = std::chrono::steady_clock::now();
        const bool ok = w.run(std::string(MUGWARP_CLI) + " batch --out " + (w.dir / "out").string() +
                                       " --jobs " + std::to_string(state.range(0)) + kPlugins + files + " -- " + kActions);
        if (!ok) state.SkipWithError(("the batch failed: " + w.lastLogLine()).c_str());
        report(state, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_Batch)->Arg(1)->Arg(2)->ArgName("jobs")->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_EditOncePerPicture(benchmark::State& state) {
    Workspace& w = workspace();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kPictures; ++i) {
            const std::string out = (w.dir / ("edit" + std::to_string(i) + ".jpg")).string();
            if (!w.run(std::string(MUGWARP_CLI) + " edit " + w.pictures[i] + " " + out + kPlugins + kActions))
                state.SkipWithError(("an edit failed: " + w.lastLogLine()).c_str());
        }
        report(state, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_EditOncePerPicture)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
