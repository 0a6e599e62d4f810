// Live warping through the whole window: the time from a mouse move with the
// button held to the end of the repaint it causes, beside the brush
// application alone, on a 4000 x 3000 picture at 100 % zoom.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/image_view.h"
#include "app/main_window.h"
#include "document/document.h"
#include "warp/stroke_controller.h"

namespace {

using namespace mugwarp;

constexpr int kMovesPerStroke = 200;

// A 4000 x 3000 picture with detail everywhere, so the resampler has real work.
const QString& largePicture() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = qRgb((x * 7 + y) & 0xFF, (y * 5 ^ x) & 0xFF, ((x ^ y) * 3) & 0xFF);
        }
        const QString file = dir.filePath(QStringLiteral("large.bmp"));
        image.save(file, "BMP");
        return file;
    }();
    return path;
}

// Pointer positions of one stroke, inside the visible part of the view.
QPoint strokePoint(int i) { return QPoint(400 + 2 * i, 420 + (i % 20)); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void reportMedian(benchmark::State& state, const std::vector<double>& millis) {
    const double m = median(millis);
    state.SetIterationTime(m / 1000.0);
    state.counters["median_ms"] = m;
    state.counters["max_ms"] = *std::max_element(millis.begin(), millis.end());
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    QRect lastArea;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastArea = static_cast<QPaintEvent*>(event)->rect();
        }
        return false;
    }
};

void sendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local(p);
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The brush application alone: the document and its stroke controller, no window.
void BM_ApplyBrushOnly(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    Document document;
    document.loadPicture(largePicture().toStdString());
    StrokeController strokes(document);
    strokes.selectTool(WarpTool::Warp);
    strokes.setBrushSize(size);
    for (auto _ : state) {
        std::vector<double> millis;
        strokes.press({strokePoint(0).x(), strokePoint(0).y()}, MouseButtons{true, false, false});
        for (int i = 0; i < kMovesPerStroke; ++i) {
            QElapsedTimer clock;
            clock.start();
            const Rect changed = strokes.move({strokePoint(i).x(), strokePoint(i).y()}, MouseButtons{true, false, false});
            benchmark::DoNotOptimize(changed);
            millis.push_back(clock.nsecsElapsed() / 1e6);
        }
        strokes.release();
        reportMedian(state, millis);
    }
}

// A mouse move on the view with the left button held, up to the end of the
// repaint it asked for.
void BM_MoveAndRepaint(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    MainWindow window(StartupOptions::quick());
    window.setErrorReporter([&state](const QString& message) { state.SkipWithError(qPrintable(message)); });
    window.resize(1600, 1000);
    window.show();
    QCoreApplication::processEvents();
    if (!window.openPicture(largePicture())) return;
    window.actions().warp->trigger();
    window.sizeBar()->setValue(size);
    ImageView* view = window.view();
    PaintCounter counter;
    view->installEventFilter(&counter);
    QCoreApplication::processEvents();

    for (auto _ : state) {
        std::vector<double> millis, moveMillis, paintMillis;
        int missedPaints = 0;
        sendMouse(view, QEvent::MouseButtonPress, strokePoint(0), Qt::LeftButton, Qt::LeftButton);
        for (int i = 0; i < kMovesPerStroke; ++i) {
            const int paintsBefore = counter.paints;
            QElapsedTimer clock;
            clock.start();
            sendMouse(view, QEvent::MouseMove, strokePoint(i), Qt::NoButton, Qt::LeftButton);
            const qint64 moved = clock.nsecsElapsed();
            // Only the repaint: the 50 ms repeat timer must not slip its own
            // brush application into the measurement.
            QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
            const qint64 painted = clock.nsecsElapsed();
            millis.push_back(painted / 1e6);
            moveMillis.push_back(moved / 1e6);
            paintMillis.push_back((painted - moved) / 1e6);
            if (counter.paints == paintsBefore) ++missedPaints;
        }
        sendMouse(view, QEvent::MouseButtonRelease, strokePoint(kMovesPerStroke - 1), Qt::LeftButton, Qt::NoButton);
        reportMedian(state, millis);
        // The move handler (outline, conversion, brush application) and the
        // repaint that follows, each on its own.
        state.counters["move_median_ms"] = median(moveMillis);
        state.counters["paint_median_ms"] = median(paintMillis);
        state.counters["moves_without_paint"] = missedPaints;
        state.counters["repaint_w"] = counter.lastArea.width();
        state.counters["repaint_h"] = counter.lastArea.height();
    }
}

BENCHMARK(BM_ApplyBrushOnly)->Arg(100)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveAndRepaint)->Arg(100)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
