// The 77-byte state record and the 102-byte ".dat" record against byte images written from
// their tables.

#include <gtest/gtest.h>

#include "statemachine/state_files.h"
#include "statemachine/state_record.h"
#include "tests/support/byte_image.h"

namespace quelmar::statemachine {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

const Image state_image =
    hex("01 | 05 80 | FF FF 00 00 B0 04 FF FF | 01 | 02 | 01 | 00 | 40 06 | FF FF 01 00") +
    hex("03 | 02 | 34 12 78 56 | 09 | A0 86 01 00 | 10 0E 00 00 | 02 | 2A | 0B") +
    hex("01 05 0C 01 | 02 06 0D 00 | 03 07 0E 02 | 04 08 0F 01 | 00 00 00 00 | FF FE 10 01") +
    hex("A5 02 14 5A | 01 03 15 02 | 80 51 01 00 | 01 | 03");

TEST(StateRecords, StateRecordMatchesItsByteImage) {
    const StateRecord r = decode_state_record(state_image.as<state_record_size>());
    EXPECT_EQ(r.format_flag, 1);
    EXPECT_EQ(r.valves, 0x8005);
    EXPECT_EQ(r.led_setting, (std::array<std::uint16_t, 4>{0xFFFF, 0, 1200, 0xFFFF}));
    EXPECT_EQ(r.hall_power, 1);
    EXPECT_EQ(r.photodiode_power, 2);
    EXPECT_EQ(r.pump_on, 1);
    EXPECT_EQ(r.pump_direction, 0);
    EXPECT_EQ(r.winding_current_ma, 1600);
    EXPECT_EQ(r.step_period_us, 131071u);
    EXPECT_EQ(r.microstep_code, 3);
    EXPECT_EQ(r.stop_mode, stop::time);
    EXPECT_EQ(r.pump_reserved, (std::array<std::uint16_t, 2>{0x1234, 0x5678}));
    EXPECT_EQ(r.timeout_next, 9);
    EXPECT_EQ(r.step_count, 100000u);
    EXPECT_EQ(r.stop_time_s, 3600u);
    EXPECT_EQ(r.aux_switch, 2);
    EXPECT_EQ(r.sync_value, 0x2A);
    EXPECT_EQ(r.default_next, 11);
    EXPECT_EQ(r.counters[0], (CounterGroup{1, 5, 12, action::inc_and_test}));
    EXPECT_EQ(r.counters[1], (CounterGroup{2, 6, 13, action::inc_only}));
    EXPECT_EQ(r.counters[2], (CounterGroup{3, 7, 14, action::reset}));
    EXPECT_EQ(r.counters[3], (CounterGroup{4, 8, 15, action::inc_and_test}));
    EXPECT_EQ(r.counters[4], CounterGroup{});
    EXPECT_EQ(r.counters[5], (CounterGroup{0xFF, 0xFE, 16, action::inc_and_test}));
    EXPECT_EQ(r.diving, (TriggerGroup{0xA5, 2, 20, 0x5A}));
    EXPECT_EQ(r.climbing, (TriggerGroup{1, 3, 21, 2}));
    EXPECT_EQ(r.delay_s, 86400u);
    EXPECT_EQ(r.wait_for_schedule, 1);
    EXPECT_EQ(r.mode, mode::hibernating);
    EXPECT_EQ(bytes_of(encode_state_record(r)), state_image.bytes);
}

StateRecord sleeping_state() {
    StateRecord r;
    r.format_flag = 1;
    r.default_next = 11;
    r.delay_s = 86400;
    r.mode = mode::sleeping;
    r.valves = 0x8005;
    r.hall_power = 1;
    r.photodiode_power = 1;
    r.led_setting = {0xFFFF, 0, 1200, 48000};
    r.pump_direction = 1;
    r.pump_on = 1;
    r.stop_mode = stop::steps;
    r.winding_current_ma = 1600;
    r.step_period_us = 131071;
    r.step_count = 100000;
    r.stop_time_s = 3600;
    r.timeout_next = 9;
    r.pump_reserved = {0x1234, 0x5678};
    r.microstep_code = 2;
    r.aux_switch = 1;
    r.sync_value = 0x2A;  // the ".dat" record has no place for it
    r.counters[0] = {1, 5, 12, action::inc_and_test};
    r.counters[1] = {2, 6, 13, action::reset};
    r.counters[2] = {3, 0, 14, action::inc_only};
    r.diving = {0, 2, 20, 0};
    r.climbing = {0, 3, 21, 0};
    return r;
}

// Written: LED 1200 µA as code 1604 and 48000 µA as 64197 (× 65535/49000, truncated), the
// micro-stepping code 2 as divisor 4, one flag byte per valve and per stop condition, and the
// groups as increment, next, maximum, reset flag.
const Image dat_image =
    hex("00 | 0B | 80 51 01 00 | 01 | 01") +
    hex("01 00 01 00 00 00 00 00 00 00 00 00 00 00 00 01") +
    hex("01 | 01 | 00 00 00 00 00 | FF FF 00 00 44 06 C5 FA | 01 | 03 | 00 01 00") +
    hex("40 06 | FF FF 01 00 | A0 86 01 00 | 10 0E 00 00 | 09 | 34 12 78 56 | 04 | 01 00") +
    hex("00 00 00") +
    hex("01 0C 05 00 | 02 0D 06 01 | 03 0E 00 00 | 00 00 00 00 | 00 00 00 00 | 00 00 00 00") +
    hex("00 14 02 00 | 00 15 03 00 | 00");

TEST(StateRecords, DatRecordIsWrittenAsItsByteImage) {
    EXPECT_EQ(bytes_of(encode_dat_record(sleeping_state())), dat_image.bytes);
}

TEST(StateRecords, DatRecordIsReadFromItsByteImage) {
    // Reserved bytes are set here to show they are ignored; flags other than the written ones
    // take the table's "else" branch.
    const Image image =
        hex("EE | 0B | 80 51 01 00 | 02 | 07") +
        hex("01 00 05 00 00 00 00 00 00 00 00 00 00 00 00 FF") +
        hex("01 | 00 | 11 22 33 44 55 | FF FF 01 00 44 06 00 80 | 02 | 01 | 00 01 01") +
        hex("40 06 | FF FF 01 00 | A0 86 01 00 | 10 0E 00 00 | 09 | 34 12 78 56 | 08 | 00 01") +
        hex("66 77 88") +
        hex("01 0C 05 00 | 02 0D 06 01 | 03 0E 00 00 | 04 0F 00 09 | 00 00 00 00 | 00 00 00 00") +
        hex("00 14 02 00 | 00 15 03 01 | 99");
    const StateRecord r = decode_dat_record(image.as<dat_record_size>());
    EXPECT_EQ(r.format_flag, 0);
    EXPECT_EQ(r.default_next, 11);
    EXPECT_EQ(r.delay_s, 86400u);
    EXPECT_EQ(r.wait_for_schedule, 1);
    EXPECT_EQ(r.mode, mode::idle);
    EXPECT_EQ(r.valves, 0x8005);
    EXPECT_EQ(r.hall_power, 1);
    EXPECT_EQ(r.photodiode_power, 0);
    // Codes × 49000/65535, truncated: 1 is 0 µA, 1604 is 1199 µA, 32768 is 24500 µA.
    EXPECT_EQ(r.led_setting, (std::array<std::uint16_t, 4>{0xFFFF, 0, 1199, 24500}));
    EXPECT_EQ(r.pump_direction, 0);
    EXPECT_EQ(r.pump_on, 0);
    EXPECT_EQ(r.stop_mode, stop::steps);
    EXPECT_EQ(r.winding_current_ma, 1600);
    EXPECT_EQ(r.step_period_us, 131071u);
    EXPECT_EQ(r.step_count, 100000u);
    EXPECT_EQ(r.stop_time_s, 3600u);
    EXPECT_EQ(r.timeout_next, 9);
    EXPECT_EQ(r.pump_reserved, (std::array<std::uint16_t, 2>{0x1234, 0x5678}));
    EXPECT_EQ(r.microstep_code, 1);
    EXPECT_EQ(r.aux_switch, 2);
    EXPECT_EQ(r.sync_value, 0);
    EXPECT_EQ(r.counters[0], (CounterGroup{1, 5, 12, action::inc_and_test}));
    EXPECT_EQ(r.counters[1], (CounterGroup{2, 6, 13, action::reset}));
    EXPECT_EQ(r.counters[2], (CounterGroup{3, 0, 14, action::inc_only}));
    EXPECT_EQ(r.counters[3], (CounterGroup{4, 0, 15, action::reset}));
    EXPECT_EQ(r.diving, (TriggerGroup{0, 2, 20, action::inc_and_test}));
    EXPECT_EQ(r.climbing, (TriggerGroup{0, 3, 21, action::reset}));
}

}  // namespace
}  // namespace quelmar::statemachine
