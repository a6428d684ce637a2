// The processing dialogs' graph on a full results list (5001 rows): turning the list's cells
// into points and drawing them once, as a dialog does at the end of a long run, and the
// control's part alone (taking the points in and one redraw). The window stays answering when
// this is well under 100 ms. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>

#include "common/text.h"
#include "live/processed_graph_control.h"
#include "processing/nutrient_engine.h"
#include "processing/result_plot_widget.h"

#include <QComboBox>

using namespace quelmar;

namespace {

// A full nutrient results list: every cell as the engine writes it.
void fill(processing::ResultTable& table) {
    table.set_columns(processing::nutrient_columns(protocol::chemistry::nitrate));
    for (std::uint32_t i = 0; i < processing::max_result_rows; ++i) {
        std::vector<std::string> cells;
        cells.push_back(common::sensor_time_text(1'767'225'600u + 600 * i));
        cells.push_back(common::sensor_time_text(1'767'225'600u + 600 * i + 3));
        for (int c = 2; c < 17; ++c)
            cells.push_back(common::format_text("%.3f", 5 + 3 * std::sin(i / 40.0 + c)));
        table.add_row(std::move(cells));
    }
}

void BM_ResultGraphFromFullList(benchmark::State& state) {
    processing::ResultTable table;
    fill(table);
    processing::ResultPlotWidget widget(table, processing::Chemistry::nutrient);
    widget.graph()->resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    widget.refresh();
    if (widget.graph()->plot().store().size() != processing::max_result_rows)
        state.SkipWithError("not every row plotted");
    // Choosing another column reads every row again and draws once, as the end of a run does.
    int column = 0;
    for (auto _ : state) {
        column = 1 - column;
        widget.column_box()->setCurrentIndex(column);
        benchmark::DoNotOptimize(widget.graph()->image().constBits());
    }
    if (widget.graph()->plot().store().size() != processing::max_result_rows)
        state.SkipWithError("not every row plotted");
}
// The graph's size in a dialog at its default size, and full screen.
BENCHMARK(BM_ResultGraphFromFullList)
    ->Args({536, 240})
    ->Args({1900, 700})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ProcessedGraphReplace5001At1920x1080(benchmark::State& state) {
    live::ProcessedGraphControl control(nullptr, processing::max_result_rows);
    control.resize(1920, 1080);
    control.set_value_title(QStringLiteral("Nitrate (Medium.uM)"));
    std::vector<live::ProcessedGraphControl::Sample> samples;
    for (std::uint32_t i = 0; i < processing::max_result_rows; ++i)
        samples.push_back({1'767'225'600u + 600 * i, 5 + 3 * std::sin(i / 40.0)});
    for (auto _ : state) {
        control.replace_points(samples);
        benchmark::DoNotOptimize(control.image().constBits());
    }
}
BENCHMARK(BM_ProcessedGraphReplace5001At1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

#include "bench/qt_bench_main.h"
