// quelmar-cli run-virtual: the virtual instrument without a window, for a number of
// measurement cycles. It leaves its raw output file in the card folder and writes its on-board
// results as the processed output table's CSV (and, on request, the model's true values), so
// that its results can be checked against offline processing and against its model.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/csv_writer.h"
#include "common/text.h"
#include "live/processed_output_feed.h"
#include "tools/cli.h"
#include "virtual_sensor/instrument_model.h"

namespace quelmar::tools {

namespace {

constexpr const char* usage =
    "quelmar-cli run-virtual [--chemistry nitrate|ph] [--speed N] --cycles K --card DIR "
    "[-o processed.csv] [--truth truth.csv]";

int usage_error(const char* what, const char* arg) {
    std::fprintf(stderr, "quelmar-cli run-virtual: %s%s%s\nusage:\n%s\n", what, arg ? " " : "",
                 arg ? arg : "", usage);
    return exit_usage;
}

bool write_table(const std::string& path, const std::vector<std::string>& titles,
                 const std::vector<std::vector<std::string>>& rows) {
    if (path.empty()) return common::write_csv_stream(stdout, titles, rows);
    std::string error;
    if (!common::write_csv_file(path, titles, rows, error)) {
        std::fprintf(stderr, "quelmar-cli run-virtual: %s\n", error.c_str());
        return false;
    }
    return true;
}

int run_virtual(int argc, char** argv) {
    virtual_sensor::InstrumentSetup setup;
    double speed = 0;  // 0: as fast as the computer goes
    long cycles = -1;
    std::string output, truth_path;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (std::strcmp(a, "--chemistry") == 0) {
            const char* v = value();
            if (!v) return usage_error("--chemistry needs a value", nullptr);
            const auto c = virtual_sensor::instrument_chemistry_from_name(v);
            if (!c) return usage_error("unknown chemistry", v);
            setup.chemistry = *c;
        } else if (std::strcmp(a, "--speed") == 0) {
            const char* v = value();
            char* end = nullptr;
            speed = v ? std::strtod(v, &end) : 0;
            if (!v || *end || !(speed > 0)) return usage_error("--speed needs a number above 0", v);
        } else if (std::strcmp(a, "--cycles") == 0) {
            const char* v = value();
            char* end = nullptr;
            cycles = v ? std::strtol(v, &end, 10) : -1;
            if (!v || *end || cycles < 1 || cycles > 1000000)
                return usage_error("--cycles needs a whole number from 1", v);
        } else if (std::strcmp(a, "--card") == 0) {
            const char* v = value();
            if (!v) return usage_error("--card needs a folder", nullptr);
            setup.card_dir = v;
        } else if (std::strcmp(a, "-o") == 0) {
            const char* v = value();
            if (!v) return usage_error("-o needs a file", nullptr);
            output = v;
        } else if (std::strcmp(a, "--truth") == 0) {
            const char* v = value();
            if (!v) return usage_error("--truth needs a file", nullptr);
            truth_path = v;
        } else {
            return usage_error("unknown argument", a);
        }
    }
    if (cycles < 1) return usage_error("--cycles is required", nullptr);
    if (setup.card_dir.empty()) return usage_error("--card is required", nullptr);
    std::error_code ec;
    std::filesystem::create_directories(setup.card_dir, ec);
    setup.start_time = static_cast<std::uint32_t>(std::time(nullptr));

    virtual_sensor::Instrument instrument(setup);
    std::string error;
    if (!instrument.start(error)) {
        std::fprintf(stderr, "quelmar-cli run-virtual: %s\n", error.c_str());
        return exit_failure;
    }
    const auto wanted = static_cast<std::size_t>(cycles);
    // Bounded: each cycle gives a result unless the card fails.
    const std::uint64_t limit =
        (static_cast<std::uint64_t>(cycles) + 2) * virtual_sensor::cycle_seconds(setup.chemistry);
    const auto begun = std::chrono::steady_clock::now();
    for (std::uint64_t s = 0; s < limit && instrument.results().size() < wanted; ++s) {
        if (speed > 0)
            std::this_thread::sleep_until(begun + std::chrono::duration<double>((s + 1) / speed));
        instrument.tick();
    }
    instrument.stop();
    if (instrument.write_failed()) {
        std::fprintf(stderr, "quelmar-cli run-virtual: failed to write %s\n",
                     instrument.file_path().c_str());
        return exit_failure;
    }

    const auto code = virtual_sensor::chemistry_code(setup.chemistry);
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : instrument.results()) {
        const auto texts = live::processed_row_texts(r);
        rows.emplace_back(texts.begin(), texts.end());
    }
    if (!write_table(output, live::processed_title_list(live::processed_titles(code)), rows))
        return exit_failure;
    if (!truth_path.empty()) {
        std::vector<std::vector<std::string>> truth;
        for (const auto& t : instrument.truth())
            truth.push_back({common::sensor_time_text(t.time), common::format_text("%.6f", t.value)});
        const char* title = setup.chemistry == virtual_sensor::InstrumentChemistry::ph
                                ? "True pH"
                                : "True Nitrate (uM)";
        if (!write_table(truth_path, {"Platform Timestamp", title}, truth)) return exit_failure;
    }
    std::fprintf(stderr, "%zu results; raw output file %s\n", instrument.results().size(),
                 instrument.file_path().c_str());
    return exit_ok;
}

constexpr const char* run_virtual_description =
    "Runs the virtual instrument without a window for K measurement cycles; its raw output files\n"
    "are left in DIR, its on-board results written as the processed output CSV.\n"
    "  --chemistry NAME  nitrate (default) or ph\n"
    "  --speed N         run the sensor's clock N times faster\n"
    "  --cycles K        measurement cycles to run (required)\n"
    "  --card DIR        the card folder for the raw output files (required)\n"
    "  -o FILE           the on-board results (default: standard output)\n"
    "  --truth FILE      the model ocean's true values at each result's time\n";

const CliRegistrar registrar({"run-virtual", usage, run_virtual, run_virtual_description});

}  // namespace

}  // namespace quelmar::tools
