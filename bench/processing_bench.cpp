// Throughput of the nutrient and pH data passes on generated raw output files of at least
// 200 MB, with the fast data-line parser and with the plain sscanf reading, in the same run.
// The files are written to /tmp when the program starts and removed when it ends.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <string>

#include "processing/data_pass.h"
#include "processing/example_files.h"
#include "processing/header_scan.h"
#include "processing/line_parser.h"

namespace {

using namespace quelmar::processing;

constexpr std::size_t min_file_size = 200u << 20;

struct BenchFile {
    std::string path;
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
};
BenchFile nutrient_file, ph_file;

bool make_file(BenchFile& f, const char* name, std::string (*make)(const ExampleOptions&),
               std::size_t cycles_per_mb) {
    f.path = std::string("/tmp/quelmar_bench_") + name + "_" + std::to_string(getpid()) + ".csv";
    ExampleOptions o;
    o.cycles = cycles_per_mb * (min_file_size >> 20) * 21 / 20;
    std::string text = make(o);
    while (text.size() < min_file_size) {
        o.cycles = o.cycles * 11 / 10;
        text = make(o);
    }
    std::FILE* out = std::fopen(f.path.c_str(), "wb");
    if (!out)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !ok)
        return false;
    f.bytes = text.size();
    for (char c : text)
        f.lines += c == '\n';
    return true;
}

void report(benchmark::State& state, const BenchFile& f, std::uint64_t results) {
    state.SetBytesProcessed(static_cast<std::int64_t>(f.bytes * state.iterations()));
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(f.lines * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(
        static_cast<double>(f.bytes * state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["results"] = static_cast<double>(results);
}

void nutrient_pass(benchmark::State& state, LineParser parser) {
    RawFile file;
    if (!file.open(nutrient_file.path)) {
        state.SkipWithError("no benchmark file");
        return;
    }
    NutrientSettings s;
    scan_nutrient_header(file, s, NutrientReader::single_file);
    PassControl control;
    control.parser = parser;
    std::uint64_t results = 0;
    for (auto _ : state) {
        ResultTable table;
        ProcessingLog log;
        results = run_nutrient_pass(file, s, table, log, control).results;
        benchmark::DoNotOptimize(results);
    }
    report(state, nutrient_file, results);
}

void ph_pass(benchmark::State& state, LineParser parser) {
    RawFile file;
    if (!file.open(ph_file.path)) {
        state.SkipWithError("no benchmark file");
        return;
    }
    PhSettings s;
    scan_ph_header(file, s);
    PassControl control;
    control.parser = parser;
    std::uint64_t results = 0;
    for (auto _ : state) {
        ResultTable table;
        ProcessingLog log;
        results = run_ph_pass(file, s, table, log, control).results;
        benchmark::DoNotOptimize(results);
    }
    report(state, ph_file, results);
}

void BM_NutrientPass_Fast(benchmark::State& state) {
    nutrient_pass(state, LineParser::fast);
}
void BM_NutrientPass_Scanf(benchmark::State& state) {
    nutrient_pass(state, LineParser::scanf_reference);
}
void BM_PhPass_Fast(benchmark::State& state) {
    ph_pass(state, LineParser::fast);
}
void BM_PhPass_Scanf(benchmark::State& state) {
    ph_pass(state, LineParser::scanf_reference);
}

BENCHMARK(BM_NutrientPass_Fast)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_NutrientPass_Scanf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PhPass_Fast)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PhPass_Scanf)->Unit(benchmark::kMillisecond)->Iterations(2);

// The line parser alone on one typical 20-field line.
void BM_ParseLine(benchmark::State& state, LineParser parser) {
    const std::string line =
        "123456,5,1.99123,2.48771,2.99012,1.80011,0.00000,0.00000,1.20044,1.20987,15.34,12.10,"
        "368,792,1767225600,35.123,12.456,5.512,10.00,1767225598";
    const auto parse = parser == LineParser::fast ? &parse_data_line : &parse_data_line_scanf;
    for (auto _ : state) {
        RawRecord r;
        benchmark::DoNotOptimize(parse(line, DataForm::fields20, r));
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(line.size() * state.iterations()));
}
BENCHMARK_CAPTURE(BM_ParseLine, fast, LineParser::fast);
BENCHMARK_CAPTURE(BM_ParseLine, scanf, LineParser::scanf_reference);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!make_file(nutrient_file, "nutrient", nutrient_example, 160) ||
        !make_file(ph_file, "ph", ph_example, 23)) {
        std::fprintf(stderr, "cannot write the benchmark files in /tmp\n");
        std::remove(nutrient_file.path.c_str());
        std::remove(ph_file.path.c_str());
        return 1;
    }
    std::fprintf(stderr, "nutrient file: %llu bytes, %llu lines; pH file: %llu bytes, %llu lines\n",
                 static_cast<unsigned long long>(nutrient_file.bytes),
                 static_cast<unsigned long long>(nutrient_file.lines),
                 static_cast<unsigned long long>(ph_file.bytes),
                 static_cast<unsigned long long>(ph_file.lines));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(nutrient_file.path.c_str());
    std::remove(ph_file.path.c_str());
    return 0;
}
