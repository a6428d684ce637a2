#include "virtual_sensor/factory_handlers.h"

#include <algorithm>

#include "maintenance/factory_settings.h"
#include "protocol/commands.h"
#include "protocol/device_records.h"
#include "protocol/sensor_status.h"
#include "virtual_sensor/diagnostics_handlers.h"

namespace quelmar::virtual_sensor {

namespace cmd = protocol::cmd;

namespace {

Reply status_only(std::uint8_t s) {
    return Reply{s, {}};
}

bool driver_board_fitted(VirtualSensor& sensor) {
    protocol::SensorStatusRecord st;
    return common::decode_record(sensor.record(cmd::read_status), st) &&
           maintenance::has_driver_board(st.hardware_variant);
}

// The request's payload as far as the report holds it.
std::vector<std::uint8_t> payload_of(const link::SensorReport& request, std::size_t size) {
    const std::size_t n =
        std::min({static_cast<std::size_t>(request.length()), link::payload_capacity, size});
    std::vector<std::uint8_t> out(request.payload(), request.payload() + n);
    out.resize(size, 0);
    return out;
}

// A request for the driver board's memory on a sensor without one fails, and says so in the log.
Reply no_driver_board(VirtualSensor& sensor, const char* function) {
    log_diagnostic(sensor, 2, 1, function, 96, "No driver board fitted");
    return status_only(protocol::status::command_unknown);
}

Reply read_stored(VirtualSensor& sensor, std::uint16_t code) {
    return Reply{protocol::status::ok, sensor.record(code)};
}

}  // namespace

void install_factory_handlers(VirtualSensor& sensor) {
    const auto fram = common::encode_record(
        maintenance::fram_record(sensor.options().board_serial_number, factory_stroke_meter));
    sensor.set_record(cmd::read_fram_factory, {fram.begin(), fram.end()});
    const auto nvram = common::encode_record(maintenance::nvram_record(factory_driver_serial));
    sensor.set_record(cmd::read_nvram_factory, {nvram.begin(), nvram.end()});

    sensor.set_handler(cmd::read_fram_factory, [](VirtualSensor& s, const link::SensorReport&) {
        return read_stored(s, cmd::read_fram_factory);
    });
    sensor.set_handler(cmd::write_fram_factory, [](VirtualSensor& s,
                                                   const link::SensorReport& request) {
        constexpr std::size_t size = common::record_size<maintenance::FramRecord>();
        // The board keeps only what it knows: the form, the serial number and the meter.
        const auto r = common::decode_record<maintenance::FramRecord>(payload_of(request, size));
        const auto b = common::encode_record(r);
        s.set_record(cmd::read_fram_factory, {b.begin(), b.end()});
        return status_only(protocol::status::ok);
    });
    sensor.set_handler(cmd::read_nvram_factory, [](VirtualSensor& s, const link::SensorReport&) {
        if (!driver_board_fitted(s))
            return no_driver_board(s, "usb_read_nvram");
        return read_stored(s, cmd::read_nvram_factory);
    });
    sensor.set_handler(
        cmd::write_nvram_factory, [](VirtualSensor& s, const link::SensorReport& request) {
            if (!driver_board_fitted(s))
                return no_driver_board(s, "usb_write_nvram");
            constexpr std::size_t size = common::record_size<maintenance::NvramRecord>();
            s.set_record(cmd::read_nvram_factory, payload_of(request, size));
            return status_only(protocol::status::ok);
        });
}

}  // namespace quelmar::virtual_sensor
