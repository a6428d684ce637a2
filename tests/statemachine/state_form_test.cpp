#include "statemachine/state_form.h"

#include <gtest/gtest.h>

namespace quelmar::statemachine {
namespace {

StateRecord pumping_state() {
    StateRecord r;
    r.format_flag = 1;
    r.mode = mode::operating;
    r.valves = 0x0102;
    r.led_setting = {led_on, 0, led_on, 0};
    r.photodiode_power = 1;
    r.hall_power = 1;
    r.pump_on = 1;
    r.pump_direction = 1;
    r.winding_current_ma = 400;
    r.step_period_us = 1000;
    r.microstep_code = 2;
    r.stop_mode = stop::hall;
    r.stop_time_s = 30;
    r.timeout_next = 6;
    r.aux_switch = 2;
    r.sync_value = 12;
    r.default_next = 4;
    r.counters[0] = {1, 3, 5, action::inc_and_test};
    r.diving = {0, 2, 8, 0};
    r.delay_s = 9;
    return r;
}

TEST(NumberField, ReadsDigitsOnly) {
    EXPECT_EQ(read_number_field("42"), 42u);
    EXPECT_EQ(read_number_field("  17x"), 17u);
    EXPECT_EQ(read_number_field("abc"), 0u);
    EXPECT_EQ(read_number_field(""), 0u);
    EXPECT_EQ(read_number_field("-5"), 0u);
    EXPECT_EQ(read_number_field("99999999999999999999"), 4294967295u);
}

TEST(StateForm, ShowsAndStoresEveryField) {
    const StateRecord r = pumping_state();
    const StateForm f = form_from_record(r);
    EXPECT_EQ(f.mode, form_index::mode_operating);
    EXPECT_TRUE(f.valves[1]);
    EXPECT_TRUE(f.valves[8]);
    EXPECT_FALSE(f.valves[0]);
    EXPECT_EQ(f.leds, (std::array<int, 4>{form_index::on, form_index::off, form_index::on,
                                          form_index::off}));
    EXPECT_EQ(f.aux_switch, form_index::off);
    EXPECT_TRUE(f.send_sync);
    EXPECT_EQ(f.sync_value, "12");
    EXPECT_EQ(f.direction, form_index::withdraw);
    EXPECT_EQ(f.microstep, 2);
    EXPECT_EQ(f.stop, form_index::stop_hall);
    EXPECT_EQ(f.step_count, "unsupported");
    EXPECT_EQ(f.counters[0].action, form_index::action_inc_and_test);
    EXPECT_EQ(f.diving, 2);

    StateRecord stored = record_from_form(f);
    EXPECT_EQ(stored.format_flag, 0);
    stored.format_flag = 1;
    EXPECT_EQ(stored, r);
}

TEST(StateForm, ListValuesOutsideTheListsShowTheFirstEntry) {
    StateRecord r = pumping_state();
    r.mode = 9;
    r.microstep_code = 7;
    r.stop_mode = 5;
    r.counters[1].action = 4;
    r.climbing.level = 6;
    r.aux_switch = 0;
    const StateForm f = form_from_record(r);
    EXPECT_EQ(f.mode, form_index::mode_idle);
    EXPECT_EQ(f.microstep, 0);
    EXPECT_EQ(f.stop, form_index::stop_hall);
    EXPECT_EQ(f.counters[1].action, form_index::action_inc_only);
    EXPECT_EQ(f.climbing, 0);
    EXPECT_EQ(f.aux_switch, form_index::on);
}

TEST(StateForm, Clamps) {
    StateForm f = form_from_record(pumping_state());
    f.winding_current = "2000";
    f.step_period = "1";
    f.default_next = "300";
    f.timeout_next = "300";
    f.sync_value = "300";
    f.counters[0] = {form_index::action_inc_and_test, "300", "300", "300"};
    f.diving_next = "300";
    f.climbing = 1;
    f.climbing_next = "256";
    StateRecord r = record_from_form(f);
    EXPECT_EQ(r.winding_current_ma, 1600);
    EXPECT_EQ(r.step_period_us, 2u);
    EXPECT_EQ(r.default_next, 255);
    EXPECT_EQ(r.timeout_next, 255);
    EXPECT_EQ(r.sync_value, 255);
    EXPECT_EQ(r.counters[0], (CounterGroup{255, 255, 255, action::inc_and_test}));
    EXPECT_EQ(r.diving.next, 255);
    EXPECT_EQ(r.climbing.next, 255);
    f.winding_current = "0";
    f.step_period = "200000";
    r = record_from_form(f);
    EXPECT_EQ(r.winding_current_ma, 10);
    EXPECT_EQ(r.step_period_us, 131071u);
}

TEST(StateForm, UnusedFieldsAreStoredAsZero) {
    StateForm f = form_from_record(pumping_state());
    f.send_sync = false;
    f.stop = form_index::stop_timeout;
    f.wait_for_schedule = true;
    StateRecord r = record_from_form(f);
    EXPECT_EQ(r.sync_value, 0);
    EXPECT_EQ(r.timeout_next, 0) << "only read in Hall sensors mode";
    EXPECT_EQ(r.stop_time_s, 30u);
    EXPECT_EQ(r.stop_mode, stop::time);
    EXPECT_EQ(r.wait_for_schedule, 1);
    EXPECT_EQ(r.delay_s, 0u);
    f.stop = form_index::stop_step_count;
    r = record_from_form(f);
    EXPECT_EQ(r.stop_mode, stop::steps);
    EXPECT_EQ(r.stop_time_s, 0u);
    EXPECT_EQ(r.step_count, 0u) << "\"unsupported\" reads as 0";
}

TEST(StateForm, AnUnchangedFormLeavesTheRecordAlone) {
    StateRecord r = pumping_state();
    r.stop_mode = stop::time;
    r.timeout_next = 6;        // not read in timeout mode, kept all the same
    r.winding_current_ma = 0;  // below the form's range
    r.pump_reserved = {1, 2};
    r.diving.reserved3 = 5;
    EXPECT_EQ(store_form(r, form_from_record(r)), r);
    StateForm edited = form_from_record(r);
    edited.valves[0] = true;
    const StateRecord stored = store_form(r, edited);
    EXPECT_EQ(stored.valves, 0x0103);
    EXPECT_EQ(stored.winding_current_ma, 10);
    EXPECT_EQ(stored.timeout_next, 0);
}

TEST(StateForm, LedCurrentText) {
    config::OpticsDefaults optics;
    optics.led_current_ua = {12345, 0, 48000, 1};
    EXPECT_EQ(led_current_text(optics, 0, true), "12.345");
    EXPECT_EQ(led_current_text(optics, 0, false), "0.000");
    EXPECT_EQ(led_current_text(optics, 2, true), "48.000");
    EXPECT_EQ(led_current_text(optics, 3, true), "0.001");
}

TEST(StateForm, HallPowerFollowsHallStops) {
    StateForm before = form_from_record(pumping_state());
    before.operate_pump = false;
    StateForm after = before;
    after.operate_pump = true;
    EXPECT_TRUE(needs_hall_power(before, after));
    before.stop = after.stop = form_index::stop_timeout;
    EXPECT_FALSE(needs_hall_power(before, after));
    before = after;
    after.stop = form_index::stop_hall;
    EXPECT_TRUE(needs_hall_power(before, after));
    before = after;
    after.direction = form_index::inject;
    EXPECT_FALSE(needs_hall_power(before, after));
}

TEST(FormEnabling, ByMode) {
    StateForm f = form_from_record(pumping_state());
    FormEnabling e = form_enabling(f, true);
    EXPECT_TRUE(e.valves && e.leds && e.photodiode_power && e.aux_switch && e.send_sync);
    EXPECT_TRUE(e.sync_value);
    EXPECT_TRUE(e.direction && e.winding_current && e.step_period && e.microstep && e.stop);
    EXPECT_TRUE(e.timeout_next);
    EXPECT_TRUE(e.stop_time);
    EXPECT_FALSE(e.step_count);
    EXPECT_FALSE(e.hall_power) << "a Hall stop needs the Hall sensors powered";
    EXPECT_FALSE(e.hall_stop_inject);
    EXPECT_TRUE(e.hall_stop_withdraw);
    EXPECT_TRUE(e.next_state && e.wait_seconds && e.wait_schedule && e.delay);
    EXPECT_FALSE(e.schedule_button);
    EXPECT_TRUE(e.counters[0].maximum);
    EXPECT_TRUE(e.diving_next);
    EXPECT_FALSE(e.climbing_next);

    f.mode = form_index::mode_sleeping;
    e = form_enabling(f, true);
    EXPECT_FALSE(e.valves || e.leds || e.photodiode_power || e.hall_power || e.aux_switch ||
                 e.send_sync || e.operate_pump || e.direction || e.stop || e.diving ||
                 e.counters[0].action || e.counters[0].increment);
    EXPECT_TRUE(e.next_state && e.wait_seconds && e.delay);

    for (int m : {form_index::mode_idle, form_index::mode_hibernating}) {
        f.mode = m;
        e = form_enabling(f, true);
        EXPECT_FALSE(e.next_state || e.wait_seconds || e.wait_schedule || e.delay || e.valves ||
                     e.schedule_button);
    }
}

TEST(FormEnabling, PumpStopModesAndCounters) {
    StateForm f = form_from_record(pumping_state());
    f.stop = form_index::stop_timeout;
    FormEnabling e = form_enabling(f, false);
    EXPECT_FALSE(e.timeout_next);
    EXPECT_TRUE(e.stop_time);
    EXPECT_TRUE(e.hall_power);
    EXPECT_FALSE(e.hall_stop_inject || e.hall_stop_withdraw);
    f.stop = form_index::stop_step_count;
    e = form_enabling(f, false);
    EXPECT_FALSE(e.stop_time || e.step_count || e.timeout_next);
    f.operate_pump = false;
    f.stop = form_index::stop_hall;
    e = form_enabling(f, false);
    EXPECT_TRUE(e.operate_pump);
    EXPECT_FALSE(e.direction || e.winding_current || e.timeout_next || e.stop_time);
    EXPECT_TRUE(e.hall_power);

    f.send_sync = false;
    f.wait_for_schedule = true;
    f.counters[1].action = form_index::action_reset;
    f.counters[2].action = form_index::action_inc_only;
    e = form_enabling(f, false);
    EXPECT_FALSE(e.sync_value);
    EXPECT_FALSE(e.delay);
    EXPECT_FALSE(e.schedule_button) << "not connected";
    EXPECT_TRUE(form_enabling(f, true).schedule_button);
    EXPECT_FALSE(e.counters[1].increment || e.counters[1].maximum || e.counters[1].next);
    EXPECT_TRUE(e.counters[2].increment);
    EXPECT_FALSE(e.counters[2].maximum || e.counters[2].next);
}

}  // namespace
}  // namespace quelmar::statemachine
