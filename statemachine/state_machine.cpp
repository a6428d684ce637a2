#include "statemachine/state_machine.h"

namespace quelmar::statemachine {

config::OpticsDefaults fallback_optics_defaults() {
    config::OpticsDefaults d;
    d.photodiode_power = 1;
    return d;
}

config::PumpValveDefaults fallback_pump_valve_defaults() {
    config::PumpValveDefaults d;
    d.hall_power = 1;
    return d;
}

StateDefaults fallback_state_defaults() {
    return {fallback_optics_defaults(), fallback_pump_valve_defaults()};
}

void new_state_defaults(StateMachine& machine, std::size_t index, const StateDefaults& defaults) {
    if (index >= max_states)
        return;
    StateRecord r;
    r.format_flag = 1;
    r.led_setting = {led_on, led_on, led_on, led_on};
    r.hall_power = defaults.pump.hall_power;
    r.photodiode_power = defaults.optics.photodiode_power;
    r.pump_on = 0;
    r.pump_direction = 1;
    r.winding_current_ma = defaults.pump.winding_current_ma;
    r.step_period_us = defaults.pump.step_period_us;
    r.microstep_code = defaults.pump.microstep_code;
    r.stop_mode = defaults.pump.stop_mode;
    r.step_count = defaults.pump.step_count;
    r.stop_time_s = defaults.pump.stop_time_s;
    const auto next =
        static_cast<std::uint8_t>(index == machine.last_state_index ? index : index + 1);
    r.timeout_next = next;
    r.default_next = next;
    r.aux_switch = 1;
    r.delay_s = 1;
    machine.states[index] = r;
}

void normalise_states(StateMachine& machine) {
    for (std::size_t i = 0; i <= machine.last_state_index && i < max_states; ++i) {
        StateRecord& r = machine.states[i];
        if (r.format_flag == 0) {
            for (auto& led : r.led_setting)
                if (led != 0)
                    led = led_on;
            r.pump_reserved = {0, 0};
            if (r.aux_switch == 0)
                r.aux_switch = 1;
            if (r.diving.level > 3)
                r.diving = {};
            if (r.climbing.level > 3)
                r.climbing = {};
        }
        r.format_flag = 1;
    }
}

namespace {
// The references that editing renumbers; trigger targets are deliberately left alone.
template <class F>
void for_each_reference(StateMachine& machine, F renumber) {
    for (std::size_t i = 0; i <= machine.last_state_index && i < max_states; ++i) {
        StateRecord& r = machine.states[i];
        renumber(r.default_next);
        if (r.stop_mode == stop::hall)
            renumber(r.timeout_next);
        for (auto& c : r.counters)
            if (c.maximum != 0)
                renumber(c.next);
    }
}
}  // namespace

bool insert_state(StateMachine& machine, InsertWhere where, const StateDefaults& defaults) {
    if (machine.last_state_index > max_states - 2)
        return false;
    if (where == InsertWhere::after)
        ++machine.current_state;
    const std::size_t at = machine.current_state;
    const std::size_t old_last = machine.last_state_index;
    ++machine.last_state_index;
    for (std::size_t i = old_last + 1; i > at; --i)
        machine.states[i] = machine.states[i - 1];
    for_each_reference(machine, [at](std::uint8_t& ref) {
        if (ref >= at && ref < max_states - 1)
            ++ref;
    });
    new_state_defaults(machine, at, defaults);
    return true;
}

bool delete_state(StateMachine& machine) {
    if (machine.last_state_index == 0)
        return false;
    const std::size_t gone = machine.current_state;
    for_each_reference(machine, [gone](std::uint8_t& ref) {
        if (ref > gone)
            --ref;
    });
    if (gone < machine.last_state_index) {
        for (std::size_t i = gone; i < machine.last_state_index; ++i)
            machine.states[i] = machine.states[i + 1];
    } else {
        --machine.current_state;
    }
    machine.states[machine.last_state_index] = StateRecord{};
    --machine.last_state_index;
    return true;
}

void clear_to_empty(StateMachine& machine, const StateDefaults& defaults) {
    machine.states.fill(StateRecord{});
    machine.last_state_index = 0;
    machine.current_state = 0;
    new_state_defaults(machine, 0, defaults);
}

void new_machine(StateMachine& machine, const StateDefaults& defaults) {
    clear_to_empty(machine, defaults);
    take_snapshot(machine);
}

void take_snapshot(StateMachine& machine) {
    machine.snapshot = machine.states;
    machine.snapshot_last_state_index = machine.last_state_index;
}

void restore_snapshot(StateMachine& machine) {
    machine.states = machine.snapshot;
    machine.last_state_index = machine.snapshot_last_state_index;
    if (machine.current_state > machine.last_state_index)
        machine.current_state = machine.last_state_index;
}

bool has_unsaved_edits(const StateMachine& machine) {
    return machine.last_state_index != machine.snapshot_last_state_index ||
           machine.states != machine.snapshot;
}

namespace {
void copy_pump_group(StateRecord& to, const StateRecord& from) {
    to.pump_on = from.pump_on;
    to.pump_direction = from.pump_direction;
    to.winding_current_ma = from.winding_current_ma;
    to.step_period_us = from.step_period_us;
    to.microstep_code = from.microstep_code;
    to.stop_mode = from.stop_mode;
    to.pump_reserved = from.pump_reserved;
    to.step_count = from.step_count;
    to.stop_time_s = from.stop_time_s;
}
}  // namespace

bool paste_state(StateMachine& machine, const PasteOptions& options,
                 const StateDefaults& defaults) {
    if (!machine.clipboard_full)
        return false;
    PasteGroups groups = options.groups;
    if (options.where != PasteWhere::overwrite) {
        const auto where =
            options.where == PasteWhere::insert_before ? InsertWhere::before : InsertWhere::after;
        if (!insert_state(machine, where, defaults))
            return false;
        groups = PasteGroups{};
    }
    const StateRecord& clip = machine.clipboard;
    StateRecord& target = machine.states[machine.current_state];
    StateRecord result = groups.everything_else ? clip : target;
    const StateRecord& valve_source = groups.valves ? clip : target;
    const StateRecord& pump_source = groups.pump ? clip : target;
    result.valves = valve_source.valves;
    copy_pump_group(result, pump_source);
    result.default_next = 0;
    result.timeout_next = 0;
    for (auto& c : result.counters)
        c.next = 0;
    target = result;
    return true;
}

CommandEnabling command_enabling(const StateMachine& machine) {
    CommandEnabling e;
    e.previous = machine.current_state > 0;
    e.next = machine.current_state < machine.last_state_index;
    e.insert = machine.last_state_index < max_states - 1;
    e.remove = machine.last_state_index > 0;
    e.paste = machine.clipboard_full;
    return e;
}

}  // namespace quelmar::statemachine
