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
#include <ctime>
#include <memory>
#include <sys/resource.h>
#include <vector>

#include "app/image_view.h"
#include "app/main_window.h"
#include "document/document.h"
#include "warp/stroke_controller.h"
#include "offscreen_benchmark_main.h"

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

// The value below which the given share of the values lies (nearest rank).
double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[rank];
}

double median(const std::vector<double>& values) { return percentile(values, 0.5); }

void reportMedian(benchmark::State& state, const std::vector<double>& millis) {
    const double m = median(millis);
    state.SetIterationTime(m / 1000.0);
    state.counters["median_ms"] = m;
    state.counters["p99_ms"] = percentile(millis, 0.99);
    state.counters["max_ms"] = *std::max_element(millis.begin(), millis.end());
}

// Processor time of this thread: unlike the wall clock it does not grow while
// other programs on a busy machine hold the processor, so a slow move that is
// slow here too did more work.
double threadMillis() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// Counters shared by both benchmarks: the slowest moves by processor time and
// the page faults taken while moving (first touches of fresh memory).
void reportWork(benchmark::State& state, const std::vector<double>& cpuMillis, long faults) {
    state.counters["cpu_median_ms"] = median(cpuMillis);
    state.counters["cpu_p99_ms"] = percentile(cpuMillis, 0.99);
    state.counters["cpu_max_ms"] = *std::max_element(cpuMillis.begin(), cpuMillis.end());
    state.counters["faults"] = static_cast<double>(faults);
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
        std::vector<double> millis, cpuMillis;
        const long faultsBefore = minorFaults();
        strokes.press({strokePoint(0).x(), strokePoint(0).y()}, MouseButtons{true, false, false});
        for (int i = 0; i < kMovesPerStroke; ++i) {
            QElapsedTimer clock;
            clock.start();
            const double cpuStart = threadMillis();
            const Rect changed = strokes.move({strokePoint(i).x(), strokePoint(i).y()}, MouseButtons{true, false, false});
            benchmark::DoNotOptimize(changed);
            cpuMillis.push_back(threadMillis() - cpuStart);
            millis.push_back(clock.nsecsElapsed() / 1e6);
        }
        strokes.release();
        reportMedian(state, millis);
        reportWork(state, cpuMillis, minorFaults() - faultsBefore);
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
        std::vector<double> millis, moveMillis, paintMillis, cpuMillis;
        int missedPaints = 0;
        const long faultsBefore = minorFaults();
        sendMouse(view, QEvent::MouseButtonPress, strokePoint(0), Qt::LeftButton, Qt::LeftButton);
        for (int i = 0; i < kMovesPerStroke; ++i) {
            const int paintsBefore = counter.paints;
            QElapsedTimer clock;
            clock.start();
            const double cpuStart = threadMillis();
            sendMouse(view, QEvent::MouseMove, strokePoint(i), Qt::NoButton, Qt::LeftButton);
            const qint64 moved = clock.nsecsElapsed();
            // Only the repaint: the 50 ms repeat timer must not slip its own
            // brush application into the measurement.
            QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
            const qint64 painted = clock.nsecsElapsed();
            cpuMillis.push_back(threadMillis() - cpuStart);
            millis.push_back(painted / 1e6);
            moveMillis.push_back(moved / 1e6);
            paintMillis.push_back((painted - moved) / 1e6);
            if (counter.paints == paintsBefore) ++missedPaints;
        }
        sendMouse(view, QEvent::MouseButtonRelease, strokePoint(kMovesPerStroke - 1), Qt::LeftButton, Qt::NoButton);
        reportMedian(state, millis);
        reportWork(state, cpuMillis, minorFaults() - faultsBefore);
        // The move handler (outline, conversion, brush application) and the
        // repaint that follows, each on its own.
        state.counters["move_median_ms"] = median(moveMillis);
        state.counters["paint_median_ms"] = median(paintMillis);
        state.counters["moves_without_paint"] = missedPaints;
        state.counters["repaint_w"] = counter.lastArea.width();
        state.counters["repaint_h"] = counter.lastArea.height();
    }
}

// A full repaint of the visible view with View > Show Mesh off and on, in
// turns, after a Putty pull; the difference of the medians is the mesh's cost.
void BM_MeshRepaint(benchmark::State& state) {
    MainWindow window(StartupOptions::quick());
    window.setErrorReporter([&state](const QString& message) { state.SkipWithError(qPrintable(message)); });
    window.resize(1600, 1000);
    window.show();
    QCoreApplication::processEvents();
    if (!window.openPicture(largePicture())) return;
    window.actions().putty->trigger();
    ImageView* view = window.view();
    sendMouse(view, QEvent::MouseButtonPress, strokePoint(0), Qt::LeftButton, Qt::LeftButton);
    for (int i = 0; i < 40; ++i) sendMouse(view, QEvent::MouseMove, strokePoint(i), Qt::NoButton, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, strokePoint(39), Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    const QRect visible = view->visibleRegion().boundingRect();
    for (auto _ : state) {
        std::vector<double> without, with;
        for (int turn = 0; turn < 60; ++turn) {
            for (const bool mesh : {false, true}) {
                if (window.actions().showMesh->isChecked() != mesh) window.actions().showMesh->trigger();
                QCoreApplication::processEvents();
                QElapsedTimer clock;
                clock.start();
                view->repaint(visible);
                (mesh ? with : without).push_back(clock.nsecsElapsed() / 1e6);
            }
        }
        state.SetIterationTime(median(with) / 1000.0);
        state.counters["without_mesh_ms"] = median(without);
        state.counters["with_mesh_ms"] = median(with);
        state.counters["mesh_adds_ms"] = median(with) - median(without);
        state.counters["view_w"] = visible.width();
        state.counters["view_h"] = visible.height();
    }
}

BENCHMARK(BM_MeshRepaint)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyBrushOnly)->Arg(100)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveAndRepaint)->Arg(100)->Arg(500)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
