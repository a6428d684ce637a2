#pragma once
// The editor's form as plain values (list positions, check marks and the texts of the number
// fields), with the conversions between it and a StateRecord, the clamps, and the rules that
// decide which controls are enabled. The dialog only copies these values to and from widgets.

#include <array>
#include <cstdint>
#include <string>

#include "statemachine/state_machine.h"
#include "statemachine/state_record.h"

namespace quelmar::statemachine {

// List entries, in the order the lists show them.
const std::array<const char*, 4>& mode_list();       // "Idle", "Operating", ...
const std::array<const char*, 2>& on_off_list();     // "On", "Off"
const std::array<const char*, 2>& direction_list();  // "Inject", "Withdraw"
const std::array<const char*, 5>& microstep_list();  // "16" .. "1"
const std::array<const char*, 3>& stop_list();       // "Hall Sensors", "Timeout", "Step Count"
const std::array<const char*, 3>& action_list();     // "Inc Only", "Inc & Test", "Reset"
const std::array<const char*, 4>& diving_list();     // "No Trigger", "Below P1" ..
const std::array<const char*, 4>& climbing_list();   // "No Trigger", "Above P1" ..

namespace form_index {
constexpr int mode_idle = 0, mode_operating = 1, mode_sleeping = 2, mode_hibernating = 3;
constexpr int on = 0, off = 1;
constexpr int inject = 0, withdraw = 1;
constexpr int stop_hall = 0, stop_timeout = 1, stop_step_count = 2;
constexpr int action_inc_only = 0, action_inc_and_test = 1, action_reset = 2;
constexpr int no_trigger = 0;
}  // namespace form_index

struct CounterRow {
    int action = 0;
    std::string increment, maximum, next;
    bool operator==(const CounterRow&) const = default;
};

struct StateForm {
    int mode = form_index::mode_operating;
    std::array<bool, 16> valves{};
    std::array<int, 4> leds{};  // form_index::on / off
    bool photodiode_power = false;
    bool hall_power = false;
    int aux_switch = form_index::on;
    bool send_sync = false;
    std::string sync_value;
    bool operate_pump = false;
    int direction = form_index::inject;
    std::string winding_current, step_period;
    int microstep = 0;
    int stop = form_index::stop_hall;
    std::string stop_time, step_count, timeout_next;
    bool wait_for_schedule = false;  // "Wait For Next Measurement Time" chosen
    std::string delay;
    std::string default_next;
    std::array<CounterRow, counter_count> counters{};
    int diving = 0;
    std::string diving_next;
    int climbing = 0;
    std::string climbing_next;
    bool operator==(const StateForm&) const = default;
};

// A number field as the dialog reads it: leading digits after optional blanks, anything else
// 0, values past 32 bits held at 4294967295.
std::uint32_t read_number_field(const std::string& text);

StateForm form_from_record(const StateRecord& record);
// Reads every control, also disabled ones, into an all-zero record with the clamps applied;
// fields the current choices do not use are 0, and so is format_flag.
StateRecord record_from_form(const StateForm& form);
// What storing the form does to the current state: a form nobody changed leaves the record
// exactly as it was (so a machine passes through the editor unaltered); otherwise the record
// is rebuilt from the form.
StateRecord store_form(const StateRecord& record, const StateForm& form);

// The read-only current beside an LED: "%.3f" mA of the LED's default when On, else "0.000".
std::string led_current_text(const config::OpticsDefaults& optics, std::size_t led, bool on);

// Whether a change to this form field makes the editor power the Hall sensors on: checking
// "Operate Pump" with stop mode Hall Sensors, or choosing Hall Sensors as the stop mode.
bool needs_hall_power(const StateForm& before, const StateForm& after);

struct CounterEnabling {
    bool action = false, increment = false, maximum = false, next = false;
};

struct FormEnabling {
    bool next_state = false, wait_seconds = false, wait_schedule = false, delay = false;
    bool schedule_button = false;
    bool valves = false, photodiode_power = false, leds = false, aux_switch = false;
    bool send_sync = false, sync_value = false;
    bool operate_pump = false, direction = false, winding_current = false, step_period = false;
    bool microstep = false, stop = false, timeout_next = false, stop_time = false;
    bool step_count = false, hall_power = false, hall_stop_inject = false,
         hall_stop_withdraw = false;
    std::array<CounterEnabling, counter_count> counters{};
    bool diving = false, diving_next = false, climbing = false, climbing_next = false;
};

FormEnabling form_enabling(const StateForm& form, bool connected);

}  // namespace quelmar::statemachine
