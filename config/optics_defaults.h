#pragma once
// The sensor's stored optics defaults and pump/valve defaults: what a state uses unless it
// says otherwise, and what the editor gives a new state.

#include <array>
#include <cstdint>
#include <span>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t optics_defaults_size = 11;
constexpr std::size_t pump_valve_defaults_size = 25;

struct OpticsDefaults {
    std::uint8_t byte0 = 0;                         // not interpreted; written as 0
    std::uint8_t byte1 = 1;                         // not interpreted; written as 1
    std::uint8_t photodiode_power = 0;              // 1 on
    std::array<std::uint16_t, 4> led_current_ua{};  // 0..48000
    bool operator==(const OpticsDefaults&) const = default;
};

struct PumpValveDefaults {
    std::uint8_t byte0 = 0;           // not interpreted; written as 0
    std::uint8_t pump_direction = 0;  // 0 inject, 1 withdraw
    std::uint16_t winding_current_ma = 0;
    std::uint32_t step_period_us = 0;
    std::uint8_t microstep_code = 0;  // 0 = 16x .. 4 = 1x
    std::uint8_t stop_mode = 0;       // 0 Hall sensors, 1 step count, 2 time
    std::uint16_t hall_stop_inject = 0;
    std::uint16_t hall_stop_withdraw = 0;
    std::uint32_t step_count = 0;
    std::uint32_t stop_time_s = 0;
    std::uint8_t hall_power = 0;  // 1 on
    std::uint16_t valve_spike_ms = 0;
    bool operator==(const PumpValveDefaults&) const = default;
};

template <class Io>
constexpr void fields(Io& io, OpticsDefaults& r) {
    io.u8(r.byte0);
    io.u8(r.byte1);
    io.u8(r.photodiode_power);
    io.u16(r.led_current_ua);
}

template <class Io>
constexpr void fields(Io& io, PumpValveDefaults& r) {
    io.u8(r.byte0);
    io.u8(r.pump_direction);
    io.u16(r.winding_current_ma);
    io.u32(r.step_period_us);
    io.u8(r.microstep_code);
    io.u8(r.stop_mode);
    io.u16(r.hall_stop_inject);
    io.u16(r.hall_stop_withdraw);
    io.u32(r.step_count);
    io.u32(r.stop_time_s);
    io.u8(r.hall_power);
    io.u16(r.valve_spike_ms);
}

static_assert(common::record_size<OpticsDefaults>() == optics_defaults_size);
static_assert(common::record_size<PumpValveDefaults>() == pump_valve_defaults_size);

OpticsDefaults decode_optics_defaults(std::span<const std::uint8_t, optics_defaults_size> b);
std::array<std::uint8_t, optics_defaults_size> encode_optics_defaults(const OpticsDefaults& r);
PumpValveDefaults decode_pump_valve_defaults(
    std::span<const std::uint8_t, pump_valve_defaults_size> b);
std::array<std::uint8_t, pump_valve_defaults_size> encode_pump_valve_defaults(
    const PumpValveDefaults& r);

// 368 / 369. On a non-zero status the record is left unchanged.
protocol::SensorStatus read_optics_defaults(link::SensorLink& link, OpticsDefaults& record);
protocol::SensorStatus write_optics_defaults(link::SensorLink& link, const OpticsDefaults& record);
// 352 / 353.
protocol::SensorStatus read_pump_valve_defaults(link::SensorLink& link, PumpValveDefaults& record);
protocol::SensorStatus write_pump_valve_defaults(link::SensorLink& link,
                                                 const PumpValveDefaults& record);

}  // namespace quelmar::config
