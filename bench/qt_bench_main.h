#pragma once
// The main() of a benchmark program that draws widgets: an application object first, then the
// benchmarks. Include it once, at the end of the program's file.

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
