// Face-aware caricature on a 24-megapixel photo: reading the landmark model,
// finding the face with its landmarks, and one slider move of the panel
// (the field made again, composed with the deformation, the region
// re-rendered). Run one row at a time with --benchmark_filter.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "document/document.h"
#include "face/caricature_edit.h"
#include "face/face_model.h"
#include "face/feature_moves.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

constexpr int kSide = 4899;  // 24.0 megapixels

// The sample portrait enlarged (bilinearly) to 24 megapixels: a face of
// about 800 pixels, as in a 24-megapixel head-and-shoulders photo.
const PixelSurface& photo24() {
    static const PixelSurface big = [] {
        PixelSurface small;
        small.assign(loadPicture(std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg"));
        PixelSurface out(kSide, kSide);
        const double step = double(small.width()) / kSide;
        for (int y = 0; y < kSide; ++y) {
            const int sy = std::min(small.height() - 1, int(y * step));
            for (int x = 0; x < kSide; ++x) out.row(y)[x] = small.pixel(std::min(small.width() - 1, int(x * step)), sy);
        }
        return out;
    }();
    return big;
}

const FaceModel& model() {
    static const std::shared_ptr<const FaceModel> loaded = FaceModel::load();
    return *loaded;
}

void BM_ModelLoad(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(FaceModel::load());
}
BENCHMARK(BM_ModelLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindFaces24MP(benchmark::State& state) {
    const PixelSurface& picture = photo24();
    model();
    for (auto _ : state) {
        const std::vector<FoundFace> faces = model().findFaces(picture);
        if (faces.size() != 1) state.SkipWithError("expected one face");
        benchmark::DoNotOptimize(faces);
    }
}
BENCHMARK(BM_FindFaces24MP)->Unit(benchmark::kMillisecond)->Iterations(5);

struct SliderSession {
    Document document;
    std::unique_ptr<CaricatureEdit> edit;
    SliderSession() {
        document.loadPicture(std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg");
        document.rebasePicture(photo24(), false);
        document.stopKeepingHistory();
        const std::vector<FoundFace> faces = requireFaces(model(), document.display());
        edit = std::make_unique<CaricatureEdit>(document, faces[0].points, model().meanShape());
    }
};

// Exaggerate moved by one step back and forth, as a slider drag does.
void BM_SliderMove24MP(benchmark::State& state) {
    SliderSession session;
    CaricatureSettings settings;
    settings[FaceFeature::EyeSize] = 40;
    int i = 0;
    for (auto _ : state) {
        settings[FaceFeature::Exaggerate] = 150 + (i++ % 2) * 10;
        benchmark::DoNotOptimize(session.edit->show(settings));
    }
    state.counters["region_MP"] = double(session.edit->field().region().width()) * session.edit->field().region().height() / 1e6;
}
BENCHMARK(BM_SliderMove24MP)->Unit(benchmark::kMillisecond)->Iterations(10);

// The same at the preview step the panel uses when the view shows the
// picture at 1/6 (a 4899-pixel picture fitted into an 800-pixel view).
void BM_SliderMovePreview24MP(benchmark::State& state) {
    SliderSession session;
    CaricatureSettings settings;
    settings[FaceFeature::EyeSize] = 40;
    int i = 0;
    for (auto _ : state) {
        settings[FaceFeature::Exaggerate] = 150 + (i++ % 2) * 10;
        benchmark::DoNotOptimize(session.edit->show(settings, 6));
    }
}
BENCHMARK(BM_SliderMovePreview24MP)->Unit(benchmark::kMillisecond)->Iterations(10);

// The field alone (spline, window, grid, corrections, fold check).
void BM_SliderField24MP(benchmark::State& state) {
    const std::vector<FoundFace> faces = requireFaces(model(), photo24());
    CaricatureSettings settings;
    settings[FaceFeature::EyeSize] = 40;
    int i = 0;
    for (auto _ : state) {
        settings[FaceFeature::Exaggerate] = 150 + (i++ % 2) * 10;
        benchmark::DoNotOptimize(FaceWarpField(caricatureMoves(faces[0].points, model().meanShape(), settings),
                                               Rect{0, 0, kSide, kSide}));
    }
}
BENCHMARK(BM_SliderField24MP)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace mugwarp

BENCHMARK_MAIN();
