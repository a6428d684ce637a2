#include "statemachine/state_form.h"

#include <algorithm>
#include <cctype>

#include "common/text.h"

namespace quelmar::statemachine {

using common::format_text;

const std::array<const char*, 4>& mode_list() {
    static const std::array<const char*, 4> l = {"Idle", "Operating", "Sleeping", "Hibernating"};
    return l;
}
const std::array<const char*, 2>& on_off_list() {
    static const std::array<const char*, 2> l = {"On", "Off"};
    return l;
}
const std::array<const char*, 2>& direction_list() {
    static const std::array<const char*, 2> l = {"Inject", "Withdraw"};
    return l;
}
const std::array<const char*, 5>& microstep_list() {
    static const std::array<const char*, 5> l = {"16", "8", "4", "2", "1"};
    return l;
}
const std::array<const char*, 3>& stop_list() {
    static const std::array<const char*, 3> l = {"Hall Sensors", "Timeout", "Step Count"};
    return l;
}
const std::array<const char*, 3>& action_list() {
    static const std::array<const char*, 3> l = {"Inc Only", "Inc & Test", "Reset"};
    return l;
}
const std::array<const char*, 4>& diving_list() {
    static const std::array<const char*, 4> l = {"No Trigger", "Below P1", "Below P2", "Below P3"};
    return l;
}
const std::array<const char*, 4>& climbing_list() {
    static const std::array<const char*, 4> l = {"No Trigger", "Above P1", "Above P2", "Above P3"};
    return l;
}

namespace {
constexpr std::uint8_t mode_of_index[] = {mode::idle, mode::operating, mode::sleeping,
                                          mode::hibernating};
constexpr std::uint8_t stop_of_index[] = {stop::hall, stop::time, stop::steps};

int index_of_mode(std::uint8_t m) {
    for (int i = 0; i < 4; ++i)
        if (mode_of_index[i] == m)
            return i;
    return 0;
}

int index_of_stop(std::uint8_t s) {
    for (int i = 0; i < 3; ++i)
        if (stop_of_index[i] == s)
            return i;
    return 0;
}

// A list position from outside the list's range is taken as its first entry.
int valid_index(int index, int size) {
    return index >= 0 && index < size ? index : 0;
}

std::string number_text(std::uint32_t v) {
    return format_text("%u", v);
}

std::uint8_t state_number_field(const std::string& text) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(read_number_field(text), 255));
}

std::uint32_t clamp(std::uint32_t v, std::uint32_t lo, std::uint32_t hi) {
    return v < lo ? lo : v > hi ? hi : v;
}
}  // namespace

std::uint32_t read_number_field(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    std::uint64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

StateForm form_from_record(const StateRecord& r) {
    StateForm f;
    f.mode = index_of_mode(r.mode);
    for (int i = 0; i < 16; ++i)
        f.valves[i] = (r.valves >> i) & 1u;
    for (int i = 0; i < 4; ++i)
        f.leds[i] = r.led_setting[i] != 0 ? form_index::on : form_index::off;
    f.photodiode_power = r.photodiode_power != 0;
    f.hall_power = r.hall_power != 0;
    f.aux_switch = r.aux_switch == 2 ? form_index::off : form_index::on;
    f.send_sync = r.sync_value != 0;
    f.sync_value = number_text(r.sync_value);
    f.operate_pump = r.pump_on == 1;
    f.direction = r.pump_direction == 1 ? form_index::withdraw : form_index::inject;
    f.winding_current = number_text(r.winding_current_ma);
    f.step_period = number_text(r.step_period_us);
    f.microstep = valid_index(r.microstep_code, 5);
    f.stop = index_of_stop(r.stop_mode);
    f.stop_time = number_text(r.stop_time_s);
    f.step_count = "unsupported";
    f.timeout_next = number_text(r.timeout_next);
    f.wait_for_schedule = r.wait_for_schedule != 0;
    f.delay = number_text(r.delay_s);
    f.default_next = number_text(r.default_next);
    for (std::size_t i = 0; i < counter_count; ++i) {
        const CounterGroup& c = r.counters[i];
        f.counters[i] = {valid_index(c.action, 3), number_text(c.increment), number_text(c.maximum),
                         number_text(c.next)};
    }
    f.diving = valid_index(r.diving.level, 4);
    f.diving_next = number_text(r.diving.next);
    f.climbing = valid_index(r.climbing.level, 4);
    f.climbing_next = number_text(r.climbing.next);
    return f;
}

StateRecord record_from_form(const StateForm& f) {
    StateRecord r{};
    r.format_flag = 0;
    r.mode = mode_of_index[valid_index(f.mode, 4)];
    for (int i = 0; i < 16; ++i)
        if (f.valves[i])
            r.valves = static_cast<std::uint16_t>(r.valves | (1u << i));
    for (int i = 0; i < 4; ++i)
        r.led_setting[i] = f.leds[i] == form_index::on ? led_on : 0;
    r.photodiode_power = f.photodiode_power ? 1 : 0;
    r.hall_power = f.hall_power ? 1 : 0;
    r.aux_switch = f.aux_switch == form_index::off ? 2 : 1;
    r.sync_value = f.send_sync ? state_number_field(f.sync_value) : 0;
    r.pump_on = f.operate_pump ? 1 : 0;
    r.pump_direction = f.direction == form_index::withdraw ? 1 : 0;
    r.winding_current_ma =
        static_cast<std::uint16_t>(clamp(read_number_field(f.winding_current), 10, 1600));
    r.step_period_us = clamp(read_number_field(f.step_period), 2, 131071);
    r.microstep_code = static_cast<std::uint8_t>(valid_index(f.microstep, 5));
    r.stop_mode = stop_of_index[valid_index(f.stop, 3)];
    if (r.stop_mode == stop::hall || r.stop_mode == stop::time)
        r.stop_time_s = read_number_field(f.stop_time);
    if (r.stop_mode == stop::steps)
        r.step_count = read_number_field(f.step_count);
    if (r.stop_mode == stop::hall)
        r.timeout_next = state_number_field(f.timeout_next);
    if (f.wait_for_schedule) {
        r.wait_for_schedule = 1;
    } else {
        r.delay_s = read_number_field(f.delay);
    }
    r.default_next = state_number_field(f.default_next);
    for (std::size_t i = 0; i < counter_count; ++i) {
        const CounterRow& row = f.counters[i];
        r.counters[i] = {state_number_field(row.increment), state_number_field(row.maximum),
                         state_number_field(row.next),
                         static_cast<std::uint8_t>(valid_index(row.action, 3))};
    }
    r.diving.level = static_cast<std::uint8_t>(valid_index(f.diving, 4));
    r.diving.next = state_number_field(f.diving_next);
    r.climbing.level = static_cast<std::uint8_t>(valid_index(f.climbing, 4));
    r.climbing.next = state_number_field(f.climbing_next);
    return r;
}

StateRecord store_form(const StateRecord& record, const StateForm& form) {
    if (form_from_record(record) == form)
        return record;
    return record_from_form(form);
}

std::string led_current_text(const config::OpticsDefaults& optics, std::size_t led, bool on) {
    if (!on || led >= optics.led_current_ua.size())
        return "0.000";
    return format_text("%.3f", optics.led_current_ua[led] * 0.001);
}

bool needs_hall_power(const StateForm& before, const StateForm& after) {
    const bool pump_checked = !before.operate_pump && after.operate_pump;
    const bool hall_chosen =
        before.stop != form_index::stop_hall && after.stop == form_index::stop_hall;
    return (pump_checked && after.stop == form_index::stop_hall) || hall_chosen;
}

FormEnabling form_enabling(const StateForm& f, bool connected) {
    FormEnabling e;
    const bool stepping =
        f.mode == form_index::mode_operating || f.mode == form_index::mode_sleeping;
    e.next_state = e.wait_seconds = e.wait_schedule = stepping;
    e.delay = stepping && !f.wait_for_schedule;
    e.schedule_button = stepping && f.wait_for_schedule && connected;
    if (f.mode != form_index::mode_operating)
        return e;

    e.valves = e.photodiode_power = e.leds = e.aux_switch = e.send_sync = true;
    e.sync_value = f.send_sync;
    e.operate_pump = true;
    const bool pump = f.operate_pump;
    e.direction = e.winding_current = e.step_period = e.microstep = e.stop = pump;
    e.timeout_next = pump && f.stop == form_index::stop_hall;
    e.stop_time = pump && (f.stop == form_index::stop_hall || f.stop == form_index::stop_timeout);
    e.step_count = false;
    const bool hall_stop = pump && f.stop == form_index::stop_hall;
    e.hall_power = !hall_stop;
    e.hall_stop_inject = hall_stop && f.direction == form_index::inject;
    e.hall_stop_withdraw = hall_stop && f.direction == form_index::withdraw;
    for (std::size_t i = 0; i < counter_count; ++i) {
        const int a = f.counters[i].action;
        e.counters[i].action = true;
        e.counters[i].increment = a != form_index::action_reset;
        e.counters[i].maximum = e.counters[i].next = a == form_index::action_inc_and_test;
    }
    e.diving = e.climbing = true;
    e.diving_next = f.diving != form_index::no_trigger;
    e.climbing_next = f.climbing != form_index::no_trigger;
    return e;
}

}  // namespace quelmar::statemachine
