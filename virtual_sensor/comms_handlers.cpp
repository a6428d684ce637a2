#include "virtual_sensor/comms_handlers.h"

#include "config/platform_defaults.h"
#include "config/rs232_config.h"
#include "config/rs485_config.h"
#include "protocol/commands.h"

namespace quelmar::virtual_sensor {

namespace {
template <class T>
std::vector<std::uint8_t> bytes_of(const T& record) {
    const auto b = common::encode_record(record);
    return {b.begin(), b.end()};
}
}  // namespace

// The writes and reads themselves are the sensor's stored-record pairs (449 → 448, 465 → 464,
// 441 → 440); what a feature adds is the state the sensor leaves the factory in.
void install_comms_handlers(VirtualSensor& sensor) {
    // A sensor fresh from the bench: RS232 at 9600 8N1 in normal mode with no host protocol,
    // the RS485 port idle.
    config::Rs232Config rs232;
    rs232.baud_rate = 9600;
    rs232.parity = config::parity::none;
    rs232.data_bits = 8;
    rs232.stop_bits = 1;
    rs232.protocol = config::rs232_protocol::none;
    rs232.mode = 0;
    sensor.set_record(protocol::cmd::read_rs232_config, bytes_of(rs232));

    config::Rs485Config rs485;
    rs485.baud_rate = 9600;
    rs485.parity = config::parity::none;
    rs485.data_bits = 8;
    rs485.stop_bits = 1;
    rs485.protocol = config::rs485_protocol::none;
    rs485.slave_address = 0;
    rs485.poll_rate_s = 0;
    sensor.set_record(protocol::cmd::read_rs485_config, bytes_of(rs485));

    // Open-ocean surface water: what a nitrate sensor assumes before a host tells it better.
    config::PlatformDefaults platform;
    platform.byte0 = 1;
    platform.dive_number = 0;
    platform.salinity_psu = 35.0f;
    platform.temperature_c = 15.0f;
    platform.oxygen_ml_l = 5.0f;
    platform.depth_m = 0.0f;
    platform.direction = 0;
    platform.time_offset_s = 0;
    sensor.set_record(protocol::cmd::read_platform_defaults, bytes_of(platform));
}

}  // namespace quelmar::virtual_sensor
