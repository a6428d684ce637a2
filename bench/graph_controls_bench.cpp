// Redraw cost of the two live graphs at full-screen size. The raw graph redraws ten times a
// second from the full hour of history, so one redraw should stay well under 5 ms (5 % of one
// core). Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>

#include "monitor/readings_history.h"
#include "live/processed_graph_control.h"
#include "live/raw_graph_control.h"

using namespace quelmar;

namespace {

live::RawPlotInput full_history() {
    live::RawPlotInput in;
    in.monitor_running = true;
    for (std::size_t i = 0; i < monitor::history_capacity; ++i) {
        protocol::ReadingsEntry e;
        e.counter = static_cast<std::uint32_t>(10000 + i);
        e.state = static_cast<std::uint8_t>(i / 60);
        for (std::size_t c = 0; c < protocol::channel_count; ++c) {
            double v = 0.5 + 0.4 * std::sin(i / 50.0 + c);
            e.channels[c] = static_cast<std::uint16_t>(v * 65535);
        }
        in.entries.push_back(protocol::encode_readings_entry(e));
    }
    in.channel_shown.fill(true);
    in.platform_overlay = true;
    in.thermistor_overlay = true;
    return in;
}

void BM_RawGraphRedraw3600At1920x1080(benchmark::State& state) {
    live::RawGraphControl control;
    control.resize(1920, 1080);
    const live::RawPlotInput history = full_history();
    for (auto _ : state) {
        control.redraw(history);  // includes the copy a view hands over
        benchmark::DoNotOptimize(control.image().constBits());
    }
}
BENCHMARK(BM_RawGraphRedraw3600At1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ProcessedGraphRedraw400At1920x1080(benchmark::State& state) {
    live::ProcessedGraphControl control;
    control.resize(1920, 1080);
    control.set_chemistry(protocol::chemistry::nitrate);
    for (std::uint32_t i = 0; i < live::point_capacity; ++i) {
        control.add_point(1'700'000'000u + i * 600, 250 + 200 * std::sin(i / 20.0));
    }
    for (auto _ : state) {
        control.redraw();
        benchmark::DoNotOptimize(control.image().constBits());
    }
}
BENCHMARK(BM_ProcessedGraphRedraw400At1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

#include "bench/qt_bench_main.h"
