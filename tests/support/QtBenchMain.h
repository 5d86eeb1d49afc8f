#pragma once
// main() of a benchmark program that times Qt's raster engine beside ours: QImage and QPainter
// need no display, and the offscreen platform keeps Qt from looking for one. Include once, in
// the program's one source file.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
