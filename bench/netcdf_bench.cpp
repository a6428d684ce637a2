// Writing the processed results as NetCDF: the full results list (5001 rows) of a nutrient
// run, the widest table, and of a multi-file run with its text column, against the CSV; and
// a pH run with and without the record of its parameters.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "processing/example_files.h"
#include "processing/netcdf_output.h"
#include "processing/process_command.h"

namespace {

using namespace quelmar::processing;
namespace fs = std::filesystem;

// A results list filled to its 5001 rows by processing a long example.
const ResultTable& full_table(bool multi) {
    static ResultTable tables[2];
    static bool made[2] = {false, false};
    ResultTable& table = tables[multi];
    if (!made[multi]) {
        ExampleOptions o;
        o.cycles = max_result_rows + 10;
        const fs::path raw = fs::temp_directory_path() / "quelmar_netcdf_bench_raw.csv";
        {
            std::FILE* f = std::fopen(raw.c_str(), "wb");
            const std::string text = nutrient_example(o);
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        ProcessRequest request;
        request.multi = multi;
        request.files = {raw.string()};
        ProcessOutcome out;
        run_process_request(request, out);
        table.set_columns(out.table.columns());
        for (const auto& row : out.table.rows())
            table.add_row(row);
        fs::remove(raw);
        made[multi] = true;
    }
    return table;
}

void save(benchmark::State& state, ResultFormat format, bool multi) {
    const ResultTable& table = full_table(multi);
    const std::string path = (fs::temp_directory_path() / "quelmar_netcdf_bench_out").string();
    for (auto _ : state) {
        const SaveOutcome out = save_results_as(format, table, path, {});
        if (!out.ok)
            state.SkipWithError(out.message.c_str());
    }
    state.counters["rows"] = static_cast<double>(table.row_count());
    fs::remove(path);
}

void BM_NetcdfNutrient5001(benchmark::State& s) {
    save(s, ResultFormat::netcdf, false);
}
void BM_CsvNutrient5001(benchmark::State& s) {
    save(s, ResultFormat::csv, false);
}
void BM_NetcdfMultiFile5001(benchmark::State& s) {
    save(s, ResultFormat::netcdf, true);
}

// A pH run with and without its record of how it was made: the key lines are gathered while
// the header scan reads the file, so the record costs no read of its own.
void ph_run(benchmark::State& state, bool with_provenance) {
    ExampleOptions o;
    o.cycles = 400;
    const fs::path raw =
        fs::temp_directory_path() / ("quelmar_netcdf_bench_ph." + std::to_string(::getpid()));
    {
        std::FILE* f = std::fopen(raw.c_str(), "wb");
        const std::string text = ph_example(o);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    ProcessRequest request;
    request.files = {raw.string()};
    request.with_provenance = with_provenance;
    for (auto _ : state) {
        ProcessOutcome out;
        run_process_request(request, out);
        if (out.status != process_ok)
            state.SkipWithError("the pH example was not processed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(raw)));
    fs::remove(raw);
}

void BM_PhRunWithProvenance(benchmark::State& s) {
    ph_run(s, true);
}
void BM_PhRunWithoutProvenance(benchmark::State& s) {
    ph_run(s, false);
}

BENCHMARK(BM_PhRunWithProvenance)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhRunWithoutProvenance)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NetcdfNutrient5001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvNutrient5001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NetcdfMultiFile5001)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
