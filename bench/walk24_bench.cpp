// A walk through the editor on a 24-megapixel photograph, through the whole
// window at 100 % zoom: open a 6000 x 4000 JPEG, warp with a 500 brush (each
// mouse move up to the end of the repaint it causes), run Invert through the
// native runner (first run starts it; a second run finds it warm), undo it,
// and save as JPEG. Each step is its own figure.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "app/filters_menu.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "offscreen_benchmark_main.h"

namespace {

using namespace mugwarp;

constexpr int kMoves = 200;

// A photograph-like 6000 x 4000 JPEG: smooth shading with fine detail.
QString photoJpeg(const QTemporaryDir& dir) {
    QImage image(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double shade = 0.5 + 0.5 * std::sin(x * 0.002 + y * 0.003);
            row[x] = qRgb(int(40 + 180 * shade) ^ (x & 7), (x * 255 / 6000 + (y & 3)) & 0xFF, (y * 200 / 4000 + 30) & 0xFF);
        }
    }
    const QString file = dir.filePath(QStringLiteral("photo.jpg"));
    image.save(file, "JPEG", 90);
    return file;
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5)];
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local(p);
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// When the view was last asked to paint after a clock started: for a filter
// run, the repaint that shows its result (the progress window lingers 200 ms
// after the run, and the result is painted while it does).
class LastPaint : public QObject {
public:
    explicit LastPaint(const QElapsedTimer& clock) : clock_(clock) {}
    qint64 at = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) at = clock_.nsecsElapsed();
        return false;
    }

private:
    const QElapsedTimer& clock_;
};

// Processor time of this thread, which a busy machine inflates far less
// than the wall clock.
double threadMillis() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

QAction* menuItem(const FiltersMenu& filters, const QString& category, const QString& name) {
    for (QAction* a : filters.menu()->actions())
        if (a->menu() && a->menu()->title() == category)
            for (QAction* item : a->menu()->actions())
                if (item->text() == name) return item;
    return nullptr;
}

template <class Step>
double millisOf(Step step) {
    QElapsedTimer clock;
    clock.start();
    step();
    return double(clock.nsecsElapsed()) / 1e6;
}

void BM_Walk24Megapixels(benchmark::State& state) {
    QTemporaryDir dir;
    const QString photo = photoJpeg(dir);
    MainWindow window(StartupOptions::quick());
    window.setErrorReporter([&state](const QString& message) { state.SkipWithError(qPrintable(message)); });
    window.resize(1600, 1000);
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        bool opened = false;
        state.counters["open_ms"] = millisOf([&] { opened = window.openPicture(photo); });
        if (!opened) return;
        QCoreApplication::processEvents();

        window.actions().warp->trigger();
        window.sizeBar()->setValue(500);
        ImageView* view = window.view();
        QCoreApplication::processEvents();
        std::vector<double> moves, moveCpu;
        const auto at = [](int i) { return QPoint(500 + 2 * i, 450 + (i % 20)); };
        sendMouse(view, QEvent::MouseButtonPress, at(0), Qt::LeftButton, Qt::LeftButton);
        for (int i = 0; i < kMoves; ++i) {
            const double cpuStart = threadMillis();
            moves.push_back(millisOf([&] {
                sendMouse(view, QEvent::MouseMove, at(i), Qt::NoButton, Qt::LeftButton);
                // Only the repaint: the repeat timer must not slip its own
                // application into the measurement.
                QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
            }));
            moveCpu.push_back(threadMillis() - cpuStart);
        }
        sendMouse(view, QEvent::MouseButtonRelease, at(kMoves - 1), Qt::LeftButton, Qt::NoButton);
        state.counters["move_median_ms"] = percentile(moves, 0.5);
        state.counters["move_p99_ms"] = percentile(moves, 0.99);
        state.counters["move_cpu_median_ms"] = percentile(moveCpu, 0.5);
        state.counters["move_cpu_p99_ms"] = percentile(moveCpu, 0.99);

        QAction* invert = menuItem(*window.filtersMenu(), QStringLiteral("Mugwarp Adjust"), QStringLiteral("Invert"));
        if (!invert) {
            state.SkipWithError("the sample Invert filter was not found");
            return;
        }
        // Up to the repaint that shows the result, and the whole command.
        const auto runInvert = [&](const std::string& name) {
            QElapsedTimer clock;
            LastPaint paint(clock);
            view->installEventFilter(&paint);
            clock.start();
            invert->trigger();
            const qint64 total = clock.nsecsElapsed();
            view->removeEventFilter(&paint);
            state.counters[name + "_shown_ms"] = double(paint.at < 0 ? total : paint.at) / 1e6;
            state.counters[name + "_command_ms"] = double(total) / 1e6;
        };
        runInvert("invert_first");
        state.counters["undo_ms"] = millisOf([&] { window.undo(); });
        runInvert("invert_warm");
        window.undo();

        const QString target = dir.filePath(QStringLiteral("saved.jpg"));
        window.setSaveFileChooser([&target](QWidget*, const QString&) { return target; });
        state.counters["save_jpeg_ms"] = millisOf([&] { window.saveAs(); });
    }
}
BENCHMARK(BM_Walk24Megapixels)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
