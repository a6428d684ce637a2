// Throughput of the nutrient and pH data passes on generated raw output files of at least
// 200 MB, with the fast data-line parser and with the plain sscanf reading, in the same run.
// The files are written to /tmp when the program starts and removed when it ends.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
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

// One data pass over the whole file; the number of results.
std::uint64_t nutrient_once(RawFile& file, const NutrientSettings& s, const PassControl& control) {
    ResultTable table;
    ProcessingLog log;
    return run_nutrient_pass(file, s, table, log, control).results;
}
std::uint64_t ph_once(RawFile& file, const PhSettings& s, const PassControl& control) {
    ResultTable table;
    ProcessingLog log;
    return run_ph_pass(file, s, table, log, control).results;
}

PassControl control_for(LineParser parser, unsigned threads) {
    PassControl control;
    control.parser = parser;
    control.parse_threads = threads;
    return control;
}

template <class Settings, class Scan, class Once>
void pass(benchmark::State& state, const BenchFile& f, Scan scan, Once once, LineParser parser,
          unsigned threads) {
    RawFile file;
    if (!file.open(f.path)) {
        state.SkipWithError("no benchmark file");
        return;
    }
    Settings s;
    scan(file, s);
    const PassControl control = control_for(parser, threads);
    std::uint64_t results = 0;
    for (auto _ : state) {
        results = once(file, s, control);
        benchmark::DoNotOptimize(results);
    }
    report(state, f, results);
}

void scan_nutrient(RawFile& file, NutrientSettings& s) {
    scan_nutrient_header(file, s, NutrientReader::single_file);
}
void scan_ph(RawFile& file, PhSettings& s) {
    scan_ph_header(file, s);
}

// The speed of a virtual machine's processor changes from minute to minute, so the ratio to
// the reference is measured with the two readings taken in turns: fast, reference, fast,
// reference; the better time of each counts.
template <class Settings, class Scan, class Once>
void speedup(benchmark::State& state, const BenchFile& f, Scan scan, Once once) {
    RawFile file;
    if (!file.open(f.path)) {
        state.SkipWithError("no benchmark file");
        return;
    }
    Settings s;
    scan(file, s);
    const PassControl fast = control_for(LineParser::fast, 0);
    const PassControl one = control_for(LineParser::fast, 1);
    const PassControl reference = control_for(LineParser::scanf_reference, 1);
    auto seconds = [&](const PassControl& c) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(once(file, s, c));
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    double best_fast = 1e30, best_one = 1e30, best_reference = 1e30;
    for (auto _ : state) {
        for (int round = 0; round < 2; ++round) {
            best_fast = std::min(best_fast, seconds(fast));
            best_one = std::min(best_one, seconds(one));
            best_reference = std::min(best_reference, seconds(reference));
        }
    }
    const double mb = static_cast<double>(f.bytes) / 1e6;
    state.counters["fast MB/s"] = mb / best_fast;
    state.counters["fast lines/s"] = static_cast<double>(f.lines) / best_fast;
    state.counters["one-thread MB/s"] = mb / best_one;
    state.counters["scanf MB/s"] = mb / best_reference;
    state.counters["speed-up"] = best_reference / best_fast;
    state.counters["one-thread speed-up"] = best_reference / best_one;
}

void BM_NutrientPass_Fast(benchmark::State& state) {
    pass<NutrientSettings>(state, nutrient_file, scan_nutrient, nutrient_once, LineParser::fast, 0);
}
void BM_NutrientPass_FastOneThread(benchmark::State& state) {
    pass<NutrientSettings>(state, nutrient_file, scan_nutrient, nutrient_once, LineParser::fast, 1);
}
void BM_NutrientPass_Scanf(benchmark::State& state) {
    pass<NutrientSettings>(state, nutrient_file, scan_nutrient, nutrient_once,
                           LineParser::scanf_reference, 1);
}
void BM_NutrientPass_Speedup(benchmark::State& state) {
    speedup<NutrientSettings>(state, nutrient_file, scan_nutrient, nutrient_once);
}
void BM_PhPass_Fast(benchmark::State& state) {
    pass<PhSettings>(state, ph_file, scan_ph, ph_once, LineParser::fast, 0);
}
void BM_PhPass_FastOneThread(benchmark::State& state) {
    pass<PhSettings>(state, ph_file, scan_ph, ph_once, LineParser::fast, 1);
}
void BM_PhPass_Scanf(benchmark::State& state) {
    pass<PhSettings>(state, ph_file, scan_ph, ph_once, LineParser::scanf_reference, 1);
}
void BM_PhPass_Speedup(benchmark::State& state) {
    speedup<PhSettings>(state, ph_file, scan_ph, ph_once);
}

BENCHMARK(BM_NutrientPass_Fast)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_NutrientPass_FastOneThread)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_NutrientPass_Scanf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_NutrientPass_Speedup)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PhPass_Fast)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PhPass_FastOneThread)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PhPass_Scanf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PhPass_Speedup)->Unit(benchmark::kMillisecond)->Iterations(1);

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
