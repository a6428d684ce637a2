// quelmar-cli sensors: the sensors attached, one row each, as the connect view lists them.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/discovery.h"
#include "protocol/sensor_listing.h"
#include "tools/cli.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::tools {

namespace {
int run_sensors(int argc, char** argv) {
    bool with_virtual = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--virtual-sensor") == 0) {
            with_virtual = true;
        } else {
            std::fprintf(stderr, "quelmar-cli sensors: unknown option '%s'\n", argv[i]);
            return exit_usage;
        }
    }
    std::unique_ptr<virtual_sensor::VirtualSensor> sensor;
    if (with_virtual) {
        sensor = std::make_unique<virtual_sensor::VirtualSensor>();
        sensor->attach();
    }

    link::DeviceList devices = link::enumerate_devices();
    link::SensorLink sensor_link;
    const auto rows = protocol::build_sensor_rows(devices, sensor_link);

    const std::vector<std::string> titles = {"Name", "Serial Number", "State", "Type", "Path"};
    std::vector<std::vector<std::string>> table;
    for (const auto& r : rows)
        table.push_back({r.name, r.serial_number, r.state, r.type, devices[r.entry].path});
    std::vector<std::size_t> widths;
    for (const auto& t : titles) widths.push_back(t.size());
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c)
            if (row[c].size() > widths[c]) widths[c] = row[c].size();
    auto print_row = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += cells[c];
            if (c + 1 < cells.size()) line += std::string(widths[c] - cells[c].size() + 2, ' ');
        }
        std::printf("%s\n", line.c_str());
    };
    print_row(titles);
    for (const auto& row : table) print_row(row);
    if (table.empty()) std::printf("(no sensor found)\n");
    return exit_ok;
}

constexpr const char* sensors_description =
    "Lists the sensors attached by USB as the connect view lists them (name, serial number,\n"
    "state, type, interface path), comma-separated on standard output.\n"
    "  --virtual-sensor  attach the built-in virtual sensor first, so that it is listed too\n";

const CliRegistrar registrar({"sensors", "quelmar-cli sensors [--virtual-sensor]", run_sensors,
                              sensors_description});
}  // namespace

}  // namespace quelmar::tools
