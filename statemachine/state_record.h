#pragma once
// One state of the sensor's state machine. The same 77 bytes are the payload of the sensor's
// state read/write commands and the record of the ".asm" state machine file.

#include <array>
#include <cstdint>
#include <span>

#include "common/record_fields.h"

namespace quelmar::statemachine {

constexpr std::size_t state_record_size = 77;
constexpr std::size_t max_states = 255;
constexpr std::size_t counter_count = 6;
constexpr std::uint16_t led_on = 0xFFFF;

namespace mode {
constexpr std::uint8_t operating = 0;
constexpr std::uint8_t sleeping = 1;
constexpr std::uint8_t idle = 2;
constexpr std::uint8_t hibernating = 3;
}  // namespace mode

namespace stop {
constexpr std::uint8_t hall = 0;
constexpr std::uint8_t steps = 1;
constexpr std::uint8_t time = 2;
}  // namespace stop

namespace action {
constexpr std::uint8_t inc_only = 0;
constexpr std::uint8_t inc_and_test = 1;
constexpr std::uint8_t reset = 2;
}  // namespace action

struct CounterGroup {
    std::uint8_t increment = 0;
    std::uint8_t maximum = 0;
    std::uint8_t next = 0;
    std::uint8_t action = 0;
    bool operator==(const CounterGroup&) const = default;
};

// A depth trigger: only the level and the next state mean anything to the program; the two
// reserved bytes travel unchanged.
struct TriggerGroup {
    std::uint8_t reserved0 = 0;
    std::uint8_t level = 0;  // 0 no trigger, 1..3 pressure level P1..P3
    std::uint8_t next = 0;
    std::uint8_t reserved3 = 0;
    bool operator==(const TriggerGroup&) const = default;
};

struct StateRecord {
    std::uint8_t format_flag = 0;  // 1 current form; 0 must be normalised
    std::uint16_t valves = 0;      // bit i: valve i open
    std::array<std::uint16_t, 4> led_setting{};
    std::uint8_t hall_power = 0;
    std::uint8_t photodiode_power = 0;
    std::uint8_t pump_on = 0;         // 1 runs the pump; anything else is off
    std::uint8_t pump_direction = 0;  // 0 inject, 1 withdraw
    std::uint16_t winding_current_ma = 0;
    std::uint32_t step_period_us = 0;
    std::uint8_t microstep_code = 0;  // 0 = 16x .. 4 = 1x
    std::uint8_t stop_mode = 0;
    std::array<std::uint16_t, 2> pump_reserved{};
    std::uint8_t timeout_next = 0;
    std::uint32_t step_count = 0;
    std::uint32_t stop_time_s = 0;
    std::uint8_t aux_switch = 0;  // 1 on, 2 off
    std::uint8_t sync_value = 0;
    std::uint8_t default_next = 0;
    std::array<CounterGroup, counter_count> counters{};
    TriggerGroup diving{};
    TriggerGroup climbing{};
    std::uint32_t delay_s = 0;
    std::uint8_t wait_for_schedule = 0;
    std::uint8_t mode = 0;
    bool operator==(const StateRecord&) const = default;
};

template <class Io>
constexpr void fields(Io& io, CounterGroup& g) {
    io.u8(g.increment);
    io.u8(g.maximum);
    io.u8(g.next);
    io.u8(g.action);
}

template <class Io>
constexpr void fields(Io& io, TriggerGroup& g) {
    io.u8(g.reserved0);
    io.u8(g.level);
    io.u8(g.next);
    io.u8(g.reserved3);
}

template <class Io>
constexpr void fields(Io& io, StateRecord& r) {
    io.u8(r.format_flag);
    io.u16(r.valves);
    io.u16(r.led_setting);
    io.u8(r.hall_power);
    io.u8(r.photodiode_power);
    io.u8(r.pump_on);
    io.u8(r.pump_direction);
    io.u16(r.winding_current_ma);
    io.u32(r.step_period_us);
    io.u8(r.microstep_code);
    io.u8(r.stop_mode);
    io.u16(r.pump_reserved);
    io.u8(r.timeout_next);
    io.u32(r.step_count);
    io.u32(r.stop_time_s);
    io.u8(r.aux_switch);
    io.u8(r.sync_value);
    io.u8(r.default_next);
    io.group(r.counters);
    io.group(r.diving);
    io.group(r.climbing);
    io.u32(r.delay_s);
    io.u8(r.wait_for_schedule);
    io.u8(r.mode);
}

static_assert(common::record_size<StateRecord>() == state_record_size);

using StateBytes = std::array<std::uint8_t, state_record_size>;

StateRecord decode_state_record(std::span<const std::uint8_t, state_record_size> b);
StateBytes encode_state_record(const StateRecord& r);

}  // namespace quelmar::statemachine
