#pragma once
// The main() of the benchmarks that drive the real window: a QApplication on
// the offscreen platform unless another is asked for.
#include <QApplication>
#include <benchmark/benchmark.h>

inline int runWindowBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
