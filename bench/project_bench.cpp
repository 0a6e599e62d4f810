// Project files of a 24-megapixel picture after a few strokes and two
// overlays: saving, opening, the file's size beside the source saved as a
// lossless PNG by ImageMagick, the thumbnail a file manager asks for (the
// installed program, as the file manager runs it), and the morph animation
// of 24 frames at 1200 x 900.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "document/document.h"
#include "edit/morph_animation.h"
#include "edit/project_document.h"
#include "edit/project_file.h"
#include "formats/picture_io.h"
#include "warp/stroke_controller.h"

using namespace mugwarp;

namespace {

// A smooth picture with a photograph's grain, so the packed size is honest.
PixelSurface photoLike(int width, int height) {
    PixelSurface picture(width, height);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(random() % 7) - 3;
            const auto channel = [&](int v) { return static_cast<std::uint8_t>(std::clamp(v + grain, 0, 255)); };
            picture.row(y)[x] = makeArgb(255, channel(x / 24), channel(y / 16), channel((x + y) / 40));
        }
    return picture;
}

void strokes(Document& document) {
    StrokeController controller(document);
    const int w = document.pictureWidth(), h = document.pictureHeight();
    for (const auto& [tool, x, y] : {std::tuple{WarpTool::Warp, w / 2, h / 3}, std::tuple{WarpTool::Twirl, w / 3, h / 2},
                                     std::tuple{WarpTool::Putty, 2 * w / 3, 2 * h / 3}}) {
        controller.selectTool(tool);
        controller.setBrushSize(500);
        controller.press({x, y}, {true, false, false});
        for (int i = 1; i <= 6; ++i) controller.move({x + 20 * i, y + 8 * i}, {true, false, false});
        controller.tick();
        controller.release();
    }
}

struct Work {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "mugwarp-project-bench";
    Document document;
    OverlayStack overlays;
    std::string project;
    Work(int width, int height) : project((dir / ("work" + std::to_string(width) + ".mugwarp")).string()) {
        std::filesystem::create_directories(dir);
        document.loadRecovered(photoLike(width, height), kDefaultKeyColor, 0x00FDFEFF, "big.png");
        strokes(document);
        for (int i = 0; i < 2; ++i) {
            PixelSurface bubble = photoLike(600, 400);
            bubble.setDrawMode(DrawMode::Blend);
            overlays.add(Overlay(FloatRect{100.0f + 900 * i, 120, 700.0f + 900 * i, 520}, std::move(bubble)));
        }
        writeProjectFile(project, projectOf(document, overlays));
    }
};

Work& big() {
    static Work work(6000, 4000);
    return work;
}

void BM_SaveProject24MP(benchmark::State& state) {
    Work& w = big();
    for (auto _ : state) writeProjectFile(w.project, projectOf(w.document, w.overlays));
    const double size = static_cast<double>(std::filesystem::file_size(w.project));
    state.counters["MB"] = size / 1e6;
    // The source alone as a lossless PNG, by ImageMagick at its defaults.
    const std::string bmp = (w.dir / "source.bmp").string(), png = (w.dir / "source.png").string();
    if (!std::filesystem::exists(png)) {
        savePicture(w.document.source(), bmp, kDefaultKeyColor);
        if (std::system(("/usr/bin/convert " + bmp + " " + png).c_str()) != 0) return;
    }
    state.counters["xPNG"] = size / static_cast<double>(std::filesystem::file_size(png));
}
BENCHMARK(BM_SaveProject24MP)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenProject24MP(benchmark::State& state) {
    Work& w = big();
    for (auto _ : state) {
        Document document;
        OverlayStack overlays;
        installProject(document, overlays, readProjectFile(w.project), w.project);
        benchmark::DoNotOptimize(document.display().row(0));
    }
}
BENCHMARK(BM_OpenProject24MP)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Thumbnail256Of24MP(benchmark::State& state) {
    Work& w = big();
    const std::string command =
        std::string(MUGWARP_THUMBNAILER) + " -s 256 " + w.project + " " + (w.dir / "thumb.png").string();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("the thumbnailer failed");
}
BENCHMARK(BM_Thumbnail256Of24MP)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Animation24FramesAt1200x900(benchmark::State& state) {
    static Work small(1200, 900);
    const Document& d = small.document;
    const std::string gif = (small.dir / "morph.gif").string();
    for (auto _ : state)
        writeMorphAnimation(gif, {d.source(), d.display(), d.deformation(), &small.overlays}, AnimationOptions{});
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(gif)) / 1e6;
}
BENCHMARK(BM_Animation24FramesAt1200x900)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
