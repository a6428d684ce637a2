// quelmar-cli firmware: what the compatibility view says about a sensor's firmware (or about a
// version text), then the known releases as CSV with the sensor's release marked.
// quelmar-cli make-firmware: an image the virtual sensor's bootloader takes and starts.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/sensor_link.h"
#include "maintenance/compatibility_report.h"
#include "protocol/device_commands.h"
#include "tools/cli.h"
#include "virtual_sensor/bootloader_image.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::tools {

namespace {
const char* const firmware_usage = "quelmar-cli firmware (--device PATH | --virtual-sensor | --text VERSION)";
const char* const make_usage = "quelmar-cli make-firmware VERSION OUT.bin";
constexpr std::uint32_t open_timeout_ms = 3000;

int firmware_usage_error(const char* what) {
    std::fprintf(stderr, "quelmar-cli firmware: %s\nusage:\n%s\n", what, firmware_usage);
    return exit_usage;
}

// A cell as CSV: the release summaries hold commas, so such a cell is quoted.
std::string csv_cell(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

bool read_sensor_version(const std::string& path, std::string& version) {
    link::SensorLink sensor_link;
    if (link::sensor_link_open(sensor_link, path, open_timeout_ms) != link::LinkResult::ok) {
        std::fprintf(stderr, "Failed to connect to sensor\n");
        return false;
    }
    protocol::SoftwareVersion record;
    const bool ok = protocol::read_software_version(sensor_link, record) == protocol::status::ok;
    link::sensor_link_close(sensor_link);
    if (!ok) {
        std::fprintf(stderr, "%s\n", maintenance::version_unreadable_text);
        return false;
    }
    version = record.version_text();
    return true;
}

int run_firmware(int argc, char** argv) {
    std::string device, text;
    bool with_virtual = false, have_text = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
            device = argv[++i];
        } else if (std::strcmp(argv[i], "--virtual-sensor") == 0) {
            with_virtual = true;
        } else if (std::strcmp(argv[i], "--text") == 0 && i + 1 < argc) {
            text = argv[++i];
            have_text = true;
        } else {
            return firmware_usage_error("unknown or incomplete option");
        }
    }
    if (int(!device.empty()) + int(with_virtual) + int(have_text) != 1)
        return firmware_usage_error("give exactly one of --device, --virtual-sensor and --text");

    std::string version = text;
    if (!have_text) {
        std::unique_ptr<virtual_sensor::VirtualSensor> sensor;
        if (with_virtual) {
            sensor = std::make_unique<virtual_sensor::VirtualSensor>();
            sensor->attach();
            device = sensor->path();
        }
        if (!read_sensor_version(device, version)) return exit_failure;
    }

    for (const auto& line : maintenance::compatibility_verdict(version)) std::printf("%s\n", line.text.c_str());
    std::printf("\nFirmware Version,Date,Changes,Sensor\n");
    for (const auto& row : maintenance::release_list(version)) {
        const bool own = row.colour == maintenance::LineColour::black;
        std::printf("%s,%s,%s,%s\n", csv_cell(row.version).c_str(), csv_cell(row.date).c_str(),
                    csv_cell(row.changes).c_str(), own ? "*" : "");
    }
    return std::ferror(stdout) ? exit_failure : exit_ok;
}

int run_make_firmware(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage:\n%s\n", make_usage);
        return exit_usage;
    }
    const std::string version = argv[1];
    const auto image = virtual_sensor::make_firmware_image(version);
    // The sensor reports at most so many characters; refuse what it could not report.
    if (virtual_sensor::firmware_image_version(image) != version) {
        std::fprintf(stderr, "quelmar-cli make-firmware: the version must be 1 to %zu printable characters\n",
                     virtual_sensor::firmware_version_max);
        return exit_usage;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "Failed to write %s\n", argv[2]);
        return exit_failure;
    }
    std::printf("%s: firmware %s, %zu bytes\n", argv[2], version.c_str(), image.size());
    return exit_ok;
}

constexpr const char* firmware_description =
    "Judges a firmware version against the releases this program knows: prints the\n"
    "compatibility verdict, then the release table as CSV with the sensor's row marked \"*\".\n"
    "  --device PATH     ask the sensor at this hidraw path for its version\n"
    "  --virtual-sensor  ask the built-in virtual sensor\n"
    "  --text VERSION    judge the version text given\n";

const CliRegistrar firmware_registrar({"firmware", firmware_usage, run_firmware,
                                       firmware_description});
constexpr const char* make_firmware_description =
    "Writes a firmware image that the virtual sensor's bootloader accepts and then reports as\n"
    "VERSION (at most 24 characters), for trying out an upgrade.\n";

const CliRegistrar make_registrar({"make-firmware", make_usage, run_make_firmware,
                                   make_firmware_description});

}  // namespace

}  // namespace quelmar::tools
