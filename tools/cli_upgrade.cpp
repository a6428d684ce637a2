// quelmar-cli upgrade: writes a firmware image to a sensor whose bootloader runs or, with
// --bootloader (the answer to the warning the program asks), a bootloader image to a sensor
// running its firmware.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "link/discovery.h"
#include "link/sensor_link.h"
#include "maintenance/upgrade_transfer.h"
#include "protocol/device_commands.h"
#include "tools/cli.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::tools {

namespace {
const char* const usage = "quelmar-cli upgrade [--bootloader] (--device PATH | --virtual-sensor) FILE";

int usage_error(const char* what) {
    std::fprintf(stderr, "quelmar-cli upgrade: %s\nusage:\n%s\n", what, usage);
    return exit_usage;
}

int run_upgrade(int argc, char** argv) {
    std::string device, file;
    bool with_virtual = false, bootloader = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
            device = argv[++i];
        } else if (std::strcmp(argv[i], "--virtual-sensor") == 0) {
            with_virtual = true;
        } else if (std::strcmp(argv[i], "--bootloader") == 0) {
            bootloader = true;
        } else if (argv[i][0] == '-' || !file.empty()) {
            return usage_error("unknown option or more than one file");
        } else {
            file = argv[i];
        }
    }
    if (device.empty() == !with_virtual) return usage_error("give one of --device and --virtual-sensor");
    if (file.empty()) return usage_error("no image file");

    std::unique_ptr<virtual_sensor::VirtualSensor> sensor;
    if (with_virtual) {
        // A firmware image goes to a sensor whose bootloader runs, a bootloader image to one
        // running firmware.
        virtual_sensor::VirtualSensorOptions options;
        options.mode = bootloader ? 2 : 1;
        sensor = std::make_unique<virtual_sensor::VirtualSensor>(options);
        sensor->attach();
        device = sensor->path();
    }

    link::SensorLink sensor_link;
    if (link::sensor_link_open(sensor_link, device, maintenance::upgrade_link_timeout_ms) != link::LinkResult::ok) {
        std::fprintf(stderr, "Failed to connect to sensor\n");
        return exit_failure;
    }
    protocol::DeviceKind kind;
    if (protocol::read_kind(sensor_link, kind) != protocol::status::ok) {
        std::fprintf(stderr, "Failed to read the sensor's mode\n");
        return exit_failure;
    }
    if (!bootloader && kind.mode != link::device_mode_bootloader) {
        std::fprintf(stderr, "The sensor is running its firmware: a firmware image is written while its "
                             "bootloader runs (a bootloader image needs --bootloader)\n");
        return exit_failure;
    }
    if (bootloader && kind.mode != link::device_mode_firmware) {
        std::fprintf(stderr, "A bootloader image is written while the sensor's firmware runs: start its "
                             "firmware first\n");
        return exit_failure;
    }

    const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    std::atomic<bool> cancel{false};
    const auto outcome = maintenance::run_upgrade_transfer(
        sensor_link, file,
        bootloader ? maintenance::bootloader_target_address : maintenance::firmware_target_address, cancel,
        [terminal](std::uint32_t bytes) {
            if (!terminal) return;
            std::printf("\r%s", maintenance::upgrade_progress_text(bytes).c_str());
            std::fflush(stdout);
        });
    link::sensor_link_close(sensor_link);
    if (terminal) std::printf("\r\033[K");
    std::printf("%s\n", maintenance::upgrade_outcome_text(outcome).c_str());
    return outcome.result == 0 ? exit_ok : exit_failure;
}

constexpr const char* upgrade_description =
    "Writes a firmware image to a sensor whose bootloader runs, or with --bootloader a bootloader\n"
    "image to a sensor running its firmware; exits with 0 only on \"Upgrade complete\".\n"
    "  --bootloader      write a bootloader image\n"
    "  --device PATH     the sensor at this hidraw path\n"
    "  --virtual-sensor  a virtual sensor that starts in its bootloader\n";

const CliRegistrar registrar({"upgrade", usage, run_upgrade, upgrade_description});
}  // namespace

}  // namespace quelmar::tools
