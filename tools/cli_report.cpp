// quelmar-cli report: the configuration report of a connected sensor, line for line as the
// "Sensor Configuration Log" dialog lists it, so a fleet's settings can be archived by script.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/configuration_report.h"
#include "tools/cli.h"
#include "tools/cli_sensor.h"

namespace quelmar::tools {

namespace {

constexpr const char* usage = "quelmar-cli report [--virtual-sensor | --device PATH] [-o FILE]";

int run_report(int argc, char** argv) {
    std::string device, output;
    bool with_virtual = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--virtual-sensor") == 0) {
            with_virtual = true;
        } else if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
            device = argv[++i];
        } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            output = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s\n", usage);
            return exit_usage;
        }
    }
    CliSensor sensor;
    if (!sensor.open("report", with_virtual, device)) return exit_failure;
    const auto pc_now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const config::ConfigurationReport report =
        config::build_configuration_report(sensor.link(), pc_now);

    std::FILE* out = stdout;
    if (!output.empty()) {
        out = std::fopen(output.c_str(), "w");
        if (!out) {
            std::fprintf(stderr, "Couldn't write to file %s\n", output.c_str());
            return exit_failure;
        }
    }
    int result = exit_ok;
    for (const auto& line : report.lines)
        if (std::fprintf(out, "%s\n", line.c_str()) < 0)
            result = exit_failure;
    if (out != stdout ? std::fclose(out) != 0 : std::fflush(out) != 0)
        result = exit_failure;
    if (result != exit_ok)
        std::fprintf(stderr, "Couldn't write to file %s\n", output.c_str());
    return result;
}

constexpr const char* report_description =
    "Prints a sensor's full configuration report, line for line as File / Log Sensor\n"
    "Configuration... lists it.\n"
    "  --virtual-sensor  report on the built-in virtual sensor\n"
    "  --device PATH     report on the sensor at this hidraw path (default: the first attached sensor)\n"
    "  -o FILE           write the report to FILE instead of standard output\n";

const CliRegistrar registrar({"report", usage, run_report, report_description});
}  // namespace

}  // namespace quelmar::tools
