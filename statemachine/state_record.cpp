#include "statemachine/state_record.h"

#include "common/bytes.h"

namespace quelmar::statemachine {

using namespace common;

namespace {
constexpr std::size_t counters_offset = 39;
constexpr std::size_t diving_offset = 63;
constexpr std::size_t climbing_offset = 67;

TriggerGroup get_trigger(const std::uint8_t* p) {
    return {p[0], p[1], p[2], p[3]};
}
void put_trigger(std::uint8_t* p, const TriggerGroup& t) {
    p[0] = t.reserved0;
    p[1] = t.level;
    p[2] = t.next;
    p[3] = t.reserved3;
}
}  // namespace

StateRecord decode_state_record(std::span<const std::uint8_t, state_record_size> s) {
    const std::uint8_t* b = s.data();
    StateRecord r;
    r.format_flag = b[0];
    r.valves = get_u16le(b + 1);
    for (std::size_t i = 0; i < 4; ++i)
        r.led_setting[i] = get_u16le(b + 3 + 2 * i);
    r.hall_power = b[11];
    r.photodiode_power = b[12];
    r.pump_on = b[13];
    r.pump_direction = b[14];
    r.winding_current_ma = get_u16le(b + 15);
    r.step_period_us = get_u32le(b + 17);
    r.microstep_code = b[21];
    r.stop_mode = b[22];
    r.pump_reserved = {get_u16le(b + 23), get_u16le(b + 25)};
    r.timeout_next = b[27];
    r.step_count = get_u32le(b + 28);
    r.stop_time_s = get_u32le(b + 32);
    r.aux_switch = b[36];
    r.sync_value = b[37];
    r.default_next = b[38];
    for (std::size_t i = 0; i < counter_count; ++i) {
        const std::uint8_t* g = b + counters_offset + 4 * i;
        r.counters[i] = {g[0], g[1], g[2], g[3]};
    }
    r.diving = get_trigger(b + diving_offset);
    r.climbing = get_trigger(b + climbing_offset);
    r.delay_s = get_u32le(b + 71);
    r.wait_for_schedule = b[75];
    r.mode = b[76];
    return r;
}

StateBytes encode_state_record(const StateRecord& r) {
    StateBytes out{};
    std::uint8_t* b = out.data();
    b[0] = r.format_flag;
    put_u16le(b + 1, r.valves);
    for (std::size_t i = 0; i < 4; ++i)
        put_u16le(b + 3 + 2 * i, r.led_setting[i]);
    b[11] = r.hall_power;
    b[12] = r.photodiode_power;
    b[13] = r.pump_on;
    b[14] = r.pump_direction;
    put_u16le(b + 15, r.winding_current_ma);
    put_u32le(b + 17, r.step_period_us);
    b[21] = r.microstep_code;
    b[22] = r.stop_mode;
    put_u16le(b + 23, r.pump_reserved[0]);
    put_u16le(b + 25, r.pump_reserved[1]);
    b[27] = r.timeout_next;
    put_u32le(b + 28, r.step_count);
    put_u32le(b + 32, r.stop_time_s);
    b[36] = r.aux_switch;
    b[37] = r.sync_value;
    b[38] = r.default_next;
    for (std::size_t i = 0; i < counter_count; ++i) {
        std::uint8_t* g = b + counters_offset + 4 * i;
        g[0] = r.counters[i].increment;
        g[1] = r.counters[i].maximum;
        g[2] = r.counters[i].next;
        g[3] = r.counters[i].action;
    }
    put_trigger(b + diving_offset, r.diving);
    put_trigger(b + climbing_offset, r.climbing);
    put_u32le(b + 71, r.delay_s);
    b[75] = r.wait_for_schedule;
    b[76] = r.mode;
    return out;
}

}  // namespace quelmar::statemachine
