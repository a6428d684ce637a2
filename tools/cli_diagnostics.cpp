// quelmar-cli diagnostics: the sensor's diagnostics log, restart history or task table as
// comma-separated text, the way the diagnostics view saves its list.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/text.h"
#include "maintenance/diagnostics_log.h"
#include "maintenance/restarts_log.h"
#include "maintenance/tasks_table.h"
#include "tools/cli.h"
#include "tools/cli_sensor.h"

namespace quelmar::tools {

namespace {

constexpr const char* usage =
    "quelmar-cli diagnostics log|restarts|tasks [--virtual-sensor | --device PATH] [-o OUT]";
// More than the sensor keeps; a sensor that never runs out ends here.
constexpr std::size_t log_limit = 100000;

void put_row(std::FILE* out, const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c)
            line += ',';
        line += cells[c];
    }
    std::fprintf(out, "%s\n", line.c_str());
}

int run_diagnostics(int argc, char** argv) {
    std::string what, device, output;
    bool with_virtual = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--virtual-sensor") == 0) {
            with_virtual = true;
        } else if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
            device = argv[++i];
        } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            output = argv[++i];
        } else if (what.empty() && argv[i][0] != '-') {
            what = argv[i];
        } else {
            std::fprintf(stderr, "usage: %s\n", usage);
            return exit_usage;
        }
    }
    if (what != "log" && what != "restarts" && what != "tasks") {
        std::fprintf(stderr, "usage: %s\n", usage);
        return exit_usage;
    }

    CliSensor sensor;
    if (!sensor.open("diagnostics", with_virtual, device)) return exit_failure;
    link::SensorLink& sensor_link = sensor.link();
    std::FILE* out = stdout;
    if (!output.empty()) {
        out = std::fopen(output.c_str(), "w");
        if (!out) {
            std::fprintf(stderr, "Unable to open %s for write\n", output.c_str());
            return exit_failure;
        }
    }

    int result = exit_ok;
    if (what == "log") {
        put_row(out,
                {maintenance::diagnostics_titles.begin(), maintenance::diagnostics_titles.end()});
        for (const auto& e : maintenance::read_whole_log(sensor_link, log_limit)) {
            const auto row = maintenance::diagnostics_row(e);
            put_row(out, {row.begin(), row.end()});
        }
    } else if (what == "restarts") {
        put_row(out, {maintenance::restart_titles.begin(), maintenance::restart_titles.end()});
        for (const auto& r : maintenance::read_restart_log(sensor_link)) {
            const auto row = maintenance::restart_row(r);
            put_row(out, {row.begin(), row.end()});
        }
    } else {
        std::array<maintenance::TaskRecord, maintenance::task_count> tasks{};
        const std::size_t n = maintenance::read_tasks(sensor_link, tasks);
        put_row(out, {"Task ID", "Task Name", "Stack Start", "Stack End", "Stack Top",
                      "Stack Usage", "Task State", "Error", "Info", "Debug"});
        for (std::size_t i = 0; i < n; ++i) {
            const auto& t = tasks[i];
            std::vector<std::string> cells = {
                std::to_string(i),
                maintenance::task_name(t),
                common::format_text("%X", static_cast<unsigned>(t.stack_start)),
                common::format_text("%X", static_cast<unsigned>(t.stack_end)),
                common::format_text("%X", static_cast<unsigned>(t.stack_top)),
                maintenance::stack_usage_text(t),
                maintenance::task_state_text(t)};
            for (std::uint8_t bit : maintenance::log_filter_bits)
                cells.push_back(t.filters & bit ? "1" : "0");
            put_row(out, cells);
        }
        if (n < maintenance::task_count) {
            std::fprintf(stderr, "Error communicating with sampler\n");
            result = exit_failure;
        }
    }
    if (out != stdout && std::fclose(out) != 0) {
        std::fprintf(stderr, "Unable to write %s\n", output.c_str());
        result = exit_failure;
    }
    return result;
}

constexpr const char* diagnostics_description =
    "Reads a sensor's diagnostics log, its restart history or its task table and prints it\n"
    "comma-separated.\n"
    "  log|restarts|tasks  what to read\n"
    "  --virtual-sensor    read the built-in virtual sensor\n"
    "  --device PATH       read the sensor at this hidraw path (default: the first attached sensor)\n"
    "  -o OUT              write to OUT instead of standard output\n";

const CliRegistrar registrar({"diagnostics", usage, run_diagnostics, diagnostics_description});
}  // namespace

}  // namespace quelmar::tools
