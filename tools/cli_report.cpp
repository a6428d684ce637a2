// quelmar-cli report: the configuration report of a connected sensor, line for line as the
// "Sensor Configuration Log" dialog lists it, so a fleet's settings can be archived by script.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "config/configuration_report.h"
#include "link/discovery.h"
#include "tools/cli.h"
#include "virtual_sensor/virtual_sensor.h"

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
    std::unique_ptr<virtual_sensor::VirtualSensor> sensor;
    if (with_virtual) {
        sensor = std::make_unique<virtual_sensor::VirtualSensor>();
        sensor->attach();
        if (device.empty())
            device = sensor->path();
    }
    if (device.empty()) {
        // The first sensor whose firmware runs: a bootloader keeps no configuration.
        for (const auto& d : link::enumerate_devices())
            if (d.mode != link::device_mode_bootloader) {
                device = d.path;
                break;
            }
    }
    if (device.empty()) {
        std::fprintf(stderr, "quelmar-cli report: no sensor found\n");
        return exit_failure;
    }
    link::SensorLink sensor_link;
    if (link::sensor_link_open(sensor_link, device, 3000) != link::LinkResult::ok) {
        std::fprintf(stderr, "quelmar-cli report: unable to open %s\n", device.c_str());
        return exit_failure;
    }
    const auto pc_now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const config::ConfigurationReport report =
        config::build_configuration_report(sensor_link, pc_now);
    link::sensor_link_close(sensor_link);

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

const CliRegistrar registrar({"report", usage, run_report});
}  // namespace

}  // namespace quelmar::tools
