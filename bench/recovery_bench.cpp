// Recovery copies on a 4000 x 3000 picture: what a stroke's release waits for
// (the keeper's bookkeeping), the copy the window makes when a write is due,
// the background packing and writing with the copy's size, and the start-up
// look for copies when there are none.
#include <QTemporaryDir>
#include <random>

#include "app/recovery_keeper.h"
#include "document/document.h"
#include "edit/overlay_stack.h"
#include "edit/recovery_folder.h"
#include "formats/picture_io.h"
#include "offscreen_benchmark_main.h"

using namespace mugwarp;

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// A smooth picture with a photograph's grain, so the packed size is honest.
PixelSurface photoLike() {
    PixelSurface picture(kWidth, kHeight);
    std::mt19937 random(7);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int grain = static_cast<int>(random() % 7) - 3;
            const auto channel = [&](int v) { return static_cast<std::uint8_t>(std::clamp(v + grain, 0, 255)); };
            picture.row(y)[x] = makeArgb(255, channel(x / 16), channel(y / 12), channel((x + y) / 28));
        }
    return picture;
}

struct Fixture {
    QTemporaryDir dir;
    Document document;
    OverlayStack overlays;
    std::unique_ptr<RecoveryKeeper> keeper;
    Fixture() {
        const std::string path = dir.filePath(QStringLiteral("big.bmp")).toStdString();
        savePicture(photoLike(), path, 0);
        document.loadPicture(path);
        document.markNeverSaved();
        keeper = std::make_unique<RecoveryKeeper>(document, overlays, [] { return false; },
                                                  dir.filePath(QStringLiteral("recovery")).toStdString());
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ReleaseWaitsForBookkeeping(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) f.keeper->documentChanged();
}
BENCHMARK(BM_ReleaseWaitsForBookkeeping);

void BM_CopyWhenAWriteIsDue(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        f.keeper->writeNow();
        state.PauseTiming();
        f.keeper->writer().waitUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyWhenAWriteIsDue)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BackgroundPackAndWrite(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        f.keeper->writeNow();
        f.keeper->writer().waitUntilIdle();
    }
    const RecoveryWriter::Outcome outcome = f.keeper->writer().lastOutcome();
    state.counters["copy_MB"] = static_cast<double>(outcome.bytes) / 1e6;
    state.counters["writer_ms"] = outcome.seconds * 1e3;
}
BENCHMARK(BM_BackgroundPackAndWrite)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StartupCheckWithoutCopies(benchmark::State& state) {
    Fixture& f = fixture();
    const std::filesystem::path folder = f.dir.filePath(QStringLiteral("recovery")).toStdString();
    for (auto _ : state) benchmark::DoNotOptimize(findOrphanedRecoveries(folder));  // only this editor's own, locked
}
BENCHMARK(BM_StartupCheckWithoutCopies)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
