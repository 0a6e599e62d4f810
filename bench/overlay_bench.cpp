// Overlays over a 4000 x 3000 picture at 100 % zoom with 20 overlays of
// 400 x 400: repainting the whole visible view, dragging one overlay (from the
// mouse move to the end of the repaint it causes) and the flattening a save
// does, each beside the same work without overlays where that applies.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "document/document.h"
#include "offscreen_benchmark_main.h"

namespace {

using namespace mugwarp;

constexpr int kOverlays = 20;
constexpr int kOverlaySize = 400;
constexpr int kMoves = 200;
constexpr int kRepeats = 30;

const QString& largePicture() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) row[x] = qRgb((x * 7 + y) & 0xFF, (y * 5 ^ x) & 0xFF, ((x ^ y) * 3) & 0xFF);
        }
        const QString file = dir.filePath(QStringLiteral("large.bmp"));
        image.save(file, "BMP");
        return file;
    }();
    return path;
}

// A round sticker with a soft edge: opaque inside, transparent corners, some half-transparent pixels.
PixelSurface sticker(int seed) {
    PixelSurface picture(kOverlaySize, kOverlaySize);
    const int r = kOverlaySize / 2;
    for (int y = 0; y < kOverlaySize; ++y)
        for (int x = 0; x < kOverlaySize; ++x) {
            const int d2 = (x - r) * (x - r) + (y - r) * (y - r);
            const Argb alpha = d2 < (r - 4) * (r - 4) ? 255 : (d2 < r * r ? 128 : 0);
            picture.setPixel(x, y, alpha << 24 | Argb((x * seed) & 0xFF) << 16 | Argb(y & 0xFF) << 8 | 0x40);
        }
    picture.setDrawMode(DrawMode::Blend);
    return picture;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Scene {
    MainWindow window{StartupOptions::quick()};
    QRect visible;

    explicit Scene(bool withOverlays) {
        window.resize(1600, 1000);
        window.show();
        QCoreApplication::processEvents();
        window.openPicture(largePicture());
        QWidget* viewport = window.scrollArea()->viewport();
        visible = QRect(window.view()->mapFrom(viewport, QPoint(0, 0)), viewport->size()) & window.view()->rect();
        // Spread over the visible part (5 x 4, overlapping), so every one is drawn.
        for (int i = 0; withOverlays && i < kOverlays; ++i) {
            const float left = static_cast<float>(visible.left() + (i % 5) * (visible.width() - kOverlaySize) / 4);
            const float top = static_cast<float>(visible.top() + (i / 5) * (visible.height() - kOverlaySize) / 3);
            window.overlayController().insert(
                Overlay{{left, top, left + kOverlaySize, top + kOverlaySize}, sticker(i + 1)});
        }
        window.overlayController().setSelection(std::nullopt);
        QCoreApplication::processEvents();
    }
};

void BM_RepaintVisibleView(benchmark::State& state) {
    Scene scene(state.range(0) != 0);
    for (auto _ : state) {
        std::vector<double> millis;
        for (int i = 0; i < kRepeats; ++i) {
            QElapsedTimer clock;
            clock.start();
            scene.window.view()->repaint(scene.visible);
            millis.push_back(clock.nsecsElapsed() / 1e6);
        }
        state.SetIterationTime(median(millis) / 1000.0);
        state.counters["median_ms"] = median(millis);
        state.counters["view_w"] = scene.visible.width();
        state.counters["view_h"] = scene.visible.height();
    }
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(p), target->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void BM_DragOverlay(benchmark::State& state) {
    Scene scene(true);
    QWidget* view = scene.window.view();
    // The topmost overlay, grabbed in its middle.
    const FloatRect top = scene.window.overlays().at(kOverlays - 1).location;
    const QPoint grab(static_cast<int>(top.left + kOverlaySize / 2), static_cast<int>(top.top + kOverlaySize / 2));
    for (auto _ : state) {
        std::vector<double> millis;
        sendMouse(view, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        for (int i = 0; i < kMoves; ++i) {
            QElapsedTimer clock;
            clock.start();
            sendMouse(view, QEvent::MouseMove, grab - QPoint(3 * i, 2 * i), Qt::NoButton, Qt::LeftButton);
            QCoreApplication::sendPostedEvents(&scene.window, QEvent::UpdateRequest);
            millis.push_back(clock.nsecsElapsed() / 1e6);
        }
        sendMouse(view, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
        state.SetIterationTime(median(millis) / 1000.0);
        state.counters["median_ms"] = median(millis);
        state.counters["max_ms"] = *std::max_element(millis.begin(), millis.end());
    }
}

// What a save adds: a copy of the display with the overlays drawn in.
void BM_FlattenForSave(benchmark::State& state) {
    Scene scene(true);
    for (auto _ : state) {
        std::vector<double> millis;
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer clock;
            clock.start();
            PixelSurface flattened(scene.window.document().display());
            scene.window.overlays().flattenInto(flattened);
            benchmark::DoNotOptimize(flattened.bits());
            millis.push_back(clock.nsecsElapsed() / 1e6);
        }
        state.SetIterationTime(median(millis) / 1000.0);
        state.counters["median_ms"] = median(millis);
    }
}

BENCHMARK(BM_RepaintVisibleView)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragOverlay)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlattenForSave)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
