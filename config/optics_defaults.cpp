#include "config/optics_defaults.h"

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::config {

using namespace common;
using protocol::SensorStatus;

OpticsDefaults decode_optics_defaults(std::span<const std::uint8_t, optics_defaults_size> b) {
    OpticsDefaults r;
    r.byte0 = b[0];
    r.byte1 = b[1];
    r.photodiode_power = b[2];
    for (std::size_t i = 0; i < 4; ++i)
        r.led_current_ua[i] = get_u16le(&b[3 + 2 * i]);
    return r;
}

std::array<std::uint8_t, optics_defaults_size> encode_optics_defaults(const OpticsDefaults& r) {
    std::array<std::uint8_t, optics_defaults_size> b{};
    b[0] = r.byte0;
    b[1] = r.byte1;
    b[2] = r.photodiode_power;
    for (std::size_t i = 0; i < 4; ++i)
        put_u16le(&b[3 + 2 * i], r.led_current_ua[i]);
    return b;
}

PumpValveDefaults decode_pump_valve_defaults(
    std::span<const std::uint8_t, pump_valve_defaults_size> b) {
    PumpValveDefaults r;
    r.byte0 = b[0];
    r.pump_direction = b[1];
    r.winding_current_ma = get_u16le(&b[2]);
    r.step_period_us = get_u32le(&b[4]);
    r.microstep_code = b[8];
    r.stop_mode = b[9];
    r.hall_stop_inject = get_u16le(&b[10]);
    r.hall_stop_withdraw = get_u16le(&b[12]);
    r.step_count = get_u32le(&b[14]);
    r.stop_time_s = get_u32le(&b[18]);
    r.hall_power = b[22];
    r.valve_spike_ms = get_u16le(&b[23]);
    return r;
}

std::array<std::uint8_t, pump_valve_defaults_size> encode_pump_valve_defaults(
    const PumpValveDefaults& r) {
    std::array<std::uint8_t, pump_valve_defaults_size> b{};
    b[0] = r.byte0;
    b[1] = r.pump_direction;
    put_u16le(&b[2], r.winding_current_ma);
    put_u32le(&b[4], r.step_period_us);
    b[8] = r.microstep_code;
    b[9] = r.stop_mode;
    put_u16le(&b[10], r.hall_stop_inject);
    put_u16le(&b[12], r.hall_stop_withdraw);
    put_u32le(&b[14], r.step_count);
    put_u32le(&b[18], r.stop_time_s);
    b[22] = r.hall_power;
    put_u16le(&b[23], r.valve_spike_ms);
    return b;
}

SensorStatus read_optics_defaults(link::SensorLink& link, OpticsDefaults& record) {
    std::array<std::uint8_t, optics_defaults_size> b{};
    const SensorStatus s = protocol::send_command(link, protocol::cmd::read_optics_defaults, {}, b);
    if (s == protocol::status::ok)
        record = decode_optics_defaults(b);
    return s;
}

SensorStatus write_optics_defaults(link::SensorLink& link, const OpticsDefaults& record) {
    return protocol::send_command(link, protocol::cmd::write_optics_defaults,
                                  encode_optics_defaults(record));
}

SensorStatus read_pump_valve_defaults(link::SensorLink& link, PumpValveDefaults& record) {
    std::array<std::uint8_t, pump_valve_defaults_size> b{};
    const SensorStatus s =
        protocol::send_command(link, protocol::cmd::read_pump_valve_defaults, {}, b);
    if (s == protocol::status::ok)
        record = decode_pump_valve_defaults(b);
    return s;
}

SensorStatus write_pump_valve_defaults(link::SensorLink& link, const PumpValveDefaults& record) {
    return protocol::send_command(link, protocol::cmd::write_pump_valve_defaults,
                                  encode_pump_valve_defaults(record));
}

}  // namespace quelmar::config
