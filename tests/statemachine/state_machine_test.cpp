#include "statemachine/state_machine.h"

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "statemachine/state_record.h"
#include "statemachine/state_text.h"

namespace quelmar::statemachine {
namespace {

StateDefaults sensor_defaults() {
    StateDefaults d = fallback_state_defaults();
    d.pump.winding_current_ma = 400;
    d.pump.step_period_us = 1000;
    d.pump.microstep_code = 2;
    d.pump.stop_mode = stop::time;
    d.pump.step_count = 77;
    d.pump.stop_time_s = 30;
    d.pump.hall_power = 0;
    d.optics.photodiode_power = 0;
    return d;
}

StateMachine machine_of(std::size_t states) {
    StateMachine m;
    m.last_state_index = static_cast<std::uint16_t>(states - 1);
    for (std::size_t i = 0; i < states; ++i)
        new_state_defaults(m, i, fallback_state_defaults());
    return m;
}

TEST(StateRecordCodec, EveryFieldAtItsOffset) {
    StateBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const StateRecord r = decode_state_record(bytes);
    EXPECT_EQ(encode_state_record(r), bytes);
    EXPECT_EQ(r.valves, bytes[1] | bytes[2] << 8);
    EXPECT_EQ(r.led_setting[3], bytes[9] | bytes[10] << 8);
    EXPECT_EQ(r.winding_current_ma, bytes[15] | bytes[16] << 8);
    EXPECT_EQ(r.timeout_next, bytes[27]);
    EXPECT_EQ(r.default_next, bytes[38]);
    EXPECT_EQ(r.counters[0].increment, bytes[39]);
    EXPECT_EQ(r.counters[5].action, bytes[62]);
    EXPECT_EQ(r.diving.level, bytes[64]);
    EXPECT_EQ(r.climbing.next, bytes[69]);
    EXPECT_EQ(r.delay_s, common::get_u32le(bytes.data() + 71));
    EXPECT_EQ(r.mode, bytes[76]);
}

TEST(NewStateDefaults, TakeTheSensorDefaults) {
    StateMachine m;
    m.last_state_index = 2;
    new_state_defaults(m, 1, sensor_defaults());
    const StateRecord& r = m.states[1];
    EXPECT_EQ(r.format_flag, 1);
    EXPECT_EQ(r.led_setting, (std::array<std::uint16_t, 4>{led_on, led_on, led_on, led_on}));
    EXPECT_EQ(r.pump_direction, 1);
    EXPECT_EQ(r.winding_current_ma, 400);
    EXPECT_EQ(r.step_period_us, 1000u);
    EXPECT_EQ(r.microstep_code, 2);
    EXPECT_EQ(r.stop_mode, stop::time);
    EXPECT_EQ(r.step_count, 77u);
    EXPECT_EQ(r.stop_time_s, 30u);
    EXPECT_EQ(r.hall_power, 0);
    EXPECT_EQ(r.photodiode_power, 0);
    EXPECT_EQ(r.default_next, 2);
    EXPECT_EQ(r.timeout_next, 2);
    EXPECT_EQ(r.aux_switch, 1);
    EXPECT_EQ(r.delay_s, 1u);
    EXPECT_EQ(r.mode, mode::operating);

    new_state_defaults(m, 2, fallback_state_defaults());
    EXPECT_EQ(m.states[2].default_next, 2) << "the last state points at itself";
    EXPECT_EQ(m.states[2].hall_power, 1);
    EXPECT_EQ(m.states[2].photodiode_power, 1);
    EXPECT_EQ(m.states[2].winding_current_ma, 0);
}

TEST(Normalise, BringsOldRecordsIntoCurrentForm) {
    StateMachine m;
    m.last_state_index = 1;
    StateRecord& r = m.states[0];
    r.led_setting = {1200, 0, led_on, 5};
    r.pump_reserved = {3, 4};
    r.aux_switch = 0;
    r.diving = {9, 7, 4, 9};
    r.climbing = {0, 3, 4, 0};
    m.states[1].format_flag = 1;
    m.states[1].led_setting = {1200, 0, 0, 0};  // already current: left as it is
    m.states[2].led_setting = {5, 0, 0, 0};     // past the last state: untouched
    normalise_states(m);
    EXPECT_EQ(r.led_setting, (std::array<std::uint16_t, 4>{led_on, 0, led_on, led_on}));
    EXPECT_EQ(r.pump_reserved, (std::array<std::uint16_t, 2>{0, 0}));
    EXPECT_EQ(r.aux_switch, 1);
    EXPECT_EQ(r.diving, TriggerGroup{});
    EXPECT_EQ(r.climbing.level, 3);
    EXPECT_EQ(r.format_flag, 1);
    EXPECT_EQ(m.states[1].led_setting[0], 1200);
    EXPECT_EQ(m.states[2].led_setting[0], 5);
    EXPECT_EQ(m.states[2].format_flag, 0);
}

TEST(InsertState, RenumbersReferencesAtAndAboveTheInsertionPoint) {
    StateMachine m = machine_of(3);  // 0->1->2->2
    m.states[0].counters[0] = {1, 5, 2, action::inc_and_test};
    m.states[0].counters[1] = {1, 0, 2, action::inc_only};  // maximum 0: not a reference
    m.states[2].stop_mode = stop::time;
    m.states[2].timeout_next = 1;
    m.states[1].diving = {0, 1, 2, 0};
    m.states[0].default_next = 254;
    m.current_state = 1;
    ASSERT_TRUE(insert_state(m, InsertWhere::before, fallback_state_defaults()));
    EXPECT_EQ(m.last_state_index, 3);
    EXPECT_EQ(m.current_state, 1);
    EXPECT_EQ(m.states[0].default_next, 254) << "254 stays";
    EXPECT_EQ(m.states[0].counters[0].next, 3);
    EXPECT_EQ(m.states[0].counters[1].next, 2);
    EXPECT_EQ(m.states[2].default_next, 3) << "old state 1 moved up and points at old 2";
    EXPECT_EQ(m.states[2].diving.next, 2) << "triggers are not renumbered";
    EXPECT_EQ(m.states[3].timeout_next, 1) << "not a Hall stop: not renumbered";
    EXPECT_EQ(m.states[1].default_next, 2) << "the new state points at the next";
}

TEST(InsertState, AfterTheLastPointsAtItselfAndStopsAt255States) {
    StateMachine m = machine_of(2);
    m.current_state = 1;
    ASSERT_TRUE(insert_state(m, InsertWhere::after, fallback_state_defaults()));
    EXPECT_EQ(m.current_state, 2);
    EXPECT_EQ(m.states[2].default_next, 2);
    EXPECT_EQ(m.states[1].default_next, 1) << "pointed at itself, below the insertion point";

    StateMachine full = machine_of(255);
    full.current_state = 100;
    const auto before = full.states;
    EXPECT_FALSE(command_enabling(full).insert);
    EXPECT_FALSE(insert_state(full, InsertWhere::after, fallback_state_defaults()));
    EXPECT_EQ(full.states, before);
    EXPECT_EQ(full.current_state, 100);

    StateMachine almost = machine_of(254);
    EXPECT_TRUE(insert_state(almost, InsertWhere::before, fallback_state_defaults()));
    EXPECT_EQ(almost.last_state_index, 254);
}

TEST(DeleteState, RenumbersAndKeepsReferencesToTheDeletedSlot) {
    StateMachine m = machine_of(5);
    m.states[0].default_next = 4;
    m.states[1].default_next = 3;
    m.states[1].counters[0] = {1, 0, 4, action::inc_only};
    m.states[1].counters[1] = {1, 2, 4, action::inc_and_test};
    m.states[4].stop_mode = stop::steps;
    m.states[4].timeout_next = 4;
    m.states[2].stop_mode = stop::hall;
    m.states[2].timeout_next = 4;
    m.current_state = 3;
    ASSERT_TRUE(delete_state(m));
    EXPECT_EQ(m.last_state_index, 3);
    EXPECT_EQ(m.current_state, 3);
    EXPECT_EQ(m.states[0].default_next, 3);
    EXPECT_EQ(m.states[1].default_next, 3);
    EXPECT_EQ(m.states[1].counters[0].next, 4) << "maximum 0: unchanged";
    EXPECT_EQ(m.states[1].counters[1].next, 3);
    EXPECT_EQ(m.states[2].timeout_next, 3);
    EXPECT_EQ(m.states[3].timeout_next, 4) << "old state 4 moved down; step-count stop";
    EXPECT_EQ(m.states[4], StateRecord{});
}

TEST(DeleteState, LastStateMovesCurrentAndOnlyStateIsKept) {
    StateMachine m = machine_of(3);
    m.current_state = 2;
    ASSERT_TRUE(delete_state(m));
    EXPECT_EQ(m.current_state, 1);
    EXPECT_EQ(m.last_state_index, 1);

    StateMachine one = machine_of(1);
    EXPECT_FALSE(command_enabling(one).remove);
    EXPECT_FALSE(delete_state(one));
    EXPECT_EQ(one.last_state_index, 0);
}

TEST(StatusTexts, OneStateCountsAsNotLoaded) {
    StateMachine m = machine_of(1);
    EXPECT_EQ(machine_status_text(m), "State machine not loaded");
    m = machine_of(2);
    EXPECT_EQ(machine_status_text(m), "This state machine has 2 states");
    EXPECT_EQ(state_label_text(7), "STATE 007");
    EXPECT_EQ(state_label_text(254), "STATE 254");
}

TEST(Snapshot, TellsUnsavedEdits) {
    StateMachine m;
    new_machine(m, fallback_state_defaults());
    EXPECT_FALSE(has_unsaved_edits(m));
    m.states[0].valves = 1;
    EXPECT_TRUE(has_unsaved_edits(m));
    restore_snapshot(m);
    EXPECT_FALSE(has_unsaved_edits(m));
    ASSERT_TRUE(insert_state(m, InsertWhere::after, fallback_state_defaults()));
    EXPECT_TRUE(has_unsaved_edits(m));
    take_snapshot(m);
    EXPECT_FALSE(has_unsaved_edits(m));
}

TEST(Paste, ValveSettingsOnlyClearsTheTargetsReferences) {
    StateMachine m = machine_of(3);
    m.clipboard = m.states[0];
    m.clipboard.valves = 0x8001;
    m.clipboard.pump_on = 1;
    m.clipboard.delay_s = 99;
    m.clipboard_full = true;
    m.current_state = 1;
    m.states[1].counters[2] = {1, 3, 2, action::inc_and_test};
    m.states[1].diving = {0, 2, 2, 0};
    m.states[1].delay_s = 5;
    ASSERT_TRUE(
        paste_state(m, {PasteWhere::overwrite, {true, false, false}}, fallback_state_defaults()));
    const StateRecord& r = m.states[1];
    EXPECT_EQ(r.valves, 0x8001);
    EXPECT_EQ(r.pump_on, 0);
    EXPECT_EQ(r.delay_s, 5u);
    EXPECT_EQ(r.default_next, 0);
    EXPECT_EQ(r.timeout_next, 0);
    EXPECT_EQ(r.counters[2].next, 0);
    EXPECT_EQ(r.counters[2].maximum, 3);
    EXPECT_EQ(r.diving.next, 2) << "trigger targets stay";
}

TEST(Paste, InsertPastesEverythingAndFullTableRefuses) {
    StateMachine m = machine_of(2);
    EXPECT_FALSE(command_enabling(m).paste);
    m.clipboard = m.states[1];
    m.clipboard.pump_on = 1;
    m.clipboard.valves = 6;
    m.clipboard_full = true;
    EXPECT_TRUE(command_enabling(m).paste);
    ASSERT_TRUE(paste_state(m, {PasteWhere::insert_after, {false, false, false}},
                            fallback_state_defaults()));
    EXPECT_EQ(m.last_state_index, 2);
    EXPECT_EQ(m.current_state, 1);
    EXPECT_EQ(m.states[1].valves, 6);
    EXPECT_EQ(m.states[1].pump_on, 1);
    EXPECT_EQ(m.states[1].default_next, 0);

    StateMachine full = machine_of(255);
    full.clipboard = full.states[0];
    full.clipboard_full = true;
    EXPECT_FALSE(paste_state(full, {PasteWhere::insert_before, {}}, fallback_state_defaults()));
    EXPECT_EQ(full.last_state_index, 254);
}

}  // namespace
}  // namespace quelmar::statemachine
