#pragma once
// The sensor's stored optics defaults and pump/valve defaults: what a state uses unless it
// says otherwise, and what the editor gives a new state. Beside them, the conductivity cell
// settings of a DIC sensor and the photomultiplier settings of a sensor that has one.

#include <array>
#include <cstdint>
#include <span>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t optics_defaults_size = 11;
constexpr std::size_t pump_valve_defaults_size = 25;
constexpr std::size_t dic_conductivity_size = 9;
constexpr std::size_t pmt_settings_size = 20;

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

struct DicConductivity {
    std::uint8_t byte0 = 0;  // not interpreted; written as 0
    std::uint8_t rxgain = 0;  // 1 enabled
    float offset_v = 0;
    std::uint16_t frequency_khz = 0;  // 20..2000
    std::uint8_t excitation_pct = 0;  // 0..100
    bool operator==(const DicConductivity&) const = default;
};

namespace pmt_instrument {
constexpr std::uint8_t none = 0;
constexpr std::uint8_t h10492 = 1;  // Hamamatsu H10492
}  // namespace pmt_instrument

struct PmtSettings {
    std::uint8_t byte0 = 0;  // not interpreted; written as 0
    std::uint8_t instrument = pmt_instrument::none;
    float control_v = 0;  // 0.5..1.1 for the H10492
    std::array<std::uint8_t, 14> tail{};  // not interpreted; written as 0
    bool operator==(const PmtSettings&) const = default;
};

template <class Io>
constexpr void fields(Io& io, DicConductivity& r) {
    io.u8(r.byte0);
    io.u8(r.rxgain);
    io.f32(r.offset_v);
    io.u16(r.frequency_khz);
    io.u8(r.excitation_pct);
}

template <class Io>
constexpr void fields(Io& io, PmtSettings& r) {
    io.u8(r.byte0);
    io.u8(r.instrument);
    io.f32(r.control_v);
    io.u8(r.tail);
}

static_assert(common::record_size<DicConductivity>() == dic_conductivity_size);
static_assert(common::record_size<PmtSettings>() == pmt_settings_size);
static_assert(common::record_size<OpticsDefaults>() == optics_defaults_size);
static_assert(common::record_size<PumpValveDefaults>() == pump_valve_defaults_size);

OpticsDefaults decode_optics_defaults(std::span<const std::uint8_t, optics_defaults_size> b);
std::array<std::uint8_t, optics_defaults_size> encode_optics_defaults(const OpticsDefaults& r);
PumpValveDefaults decode_pump_valve_defaults(
    std::span<const std::uint8_t, pump_valve_defaults_size> b);
std::array<std::uint8_t, pump_valve_defaults_size> encode_pump_valve_defaults(
    const PumpValveDefaults& r);

DicConductivity decode_dic_conductivity(std::span<const std::uint8_t, dic_conductivity_size> b);
std::array<std::uint8_t, dic_conductivity_size> encode_dic_conductivity(const DicConductivity& r);
PmtSettings decode_pmt_settings(std::span<const std::uint8_t, pmt_settings_size> b);
std::array<std::uint8_t, pmt_settings_size> encode_pmt_settings(const PmtSettings& r);

// 368 / 369. On a non-zero status the record is left unchanged.
protocol::SensorStatus read_optics_defaults(link::SensorLink& link, OpticsDefaults& record);
protocol::SensorStatus write_optics_defaults(link::SensorLink& link, const OpticsDefaults& record);
// 352 / 353.
protocol::SensorStatus read_pump_valve_defaults(link::SensorLink& link, PumpValveDefaults& record);
protocol::SensorStatus write_pump_valve_defaults(link::SensorLink& link,
                                                 const PumpValveDefaults& record);
// 372 / 373: answered by DIC sensors only.
protocol::SensorStatus read_dic_conductivity(link::SensorLink& link, DicConductivity& record);
protocol::SensorStatus write_dic_conductivity(link::SensorLink& link,
                                              const DicConductivity& record);
// 374 / 375: refused by firmware built without a photomultiplier.
protocol::SensorStatus read_pmt_settings(link::SensorLink& link, PmtSettings& record);
protocol::SensorStatus write_pmt_settings(link::SensorLink& link, const PmtSettings& record);

}  // namespace quelmar::config
