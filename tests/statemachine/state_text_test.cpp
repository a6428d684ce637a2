#include "statemachine/state_text.h"

#include <gtest/gtest.h>

namespace quelmar::statemachine {
namespace {

StateRecord operating_state() {
    StateRecord r;
    r.format_flag = 1;
    r.mode = mode::operating;
    r.aux_switch = 1;
    r.delay_s = 5;
    r.default_next = 3;
    return r;
}

std::string cell(const StateRecord& r, std::size_t column, const CounterValues* c = nullptr) {
    return describe_state(12, r, column, c);
}

TEST(StateColumns, TitlesAndWidths) {
    const auto& cols = state_columns();
    ASSERT_EQ(cols.size(), 18u);
    EXPECT_STREQ(cols[0].title, "state");
    EXPECT_STREQ(cols[8].title, "default next");
    EXPECT_STREQ(cols[14].title, "counter6 trigger");
    EXPECT_STREQ(cols[17].title, "pump timeout trigger");
    EXPECT_EQ(cols[2].width_chars, 27);
    EXPECT_EQ(cols[16].width_chars, 24);
}

TEST(DescribeState, OperatingStateTexts) {
    StateRecord r = operating_state();
    EXPECT_EQ(cell(r, 0), "12");
    EXPECT_EQ(cell(r, 1), "operating");
    EXPECT_EQ(cell(r, 2), "none");
    r.valves = 0x1009;
    EXPECT_EQ(cell(r, 2), "0.3.12");
    r.valves = 0x8001;
    EXPECT_EQ(cell(r, 2), "0.15");
    r.valves = 0xFFFF;
    EXPECT_EQ(cell(r, 2), "0.1.2.3.4.5.6.7.8.9.10.11.12.13.14.15");
    EXPECT_EQ(cell(r, 3), "off");
    EXPECT_EQ(cell(r, 4), "none");
    r.led_setting = {led_on, 0, 0, 1};
    EXPECT_EQ(cell(r, 4), "0.3");
    r.led_setting = {1, 1, 1, 1};
    EXPECT_EQ(cell(r, 4), "0.1.2.3");
    EXPECT_EQ(cell(r, 5), "on");
    r.aux_switch = 2;
    EXPECT_EQ(cell(r, 5), "off");
    EXPECT_EQ(cell(r, 6), "off");
    r.photodiode_power = 7;
    EXPECT_EQ(cell(r, 6), "on");
    EXPECT_EQ(cell(r, 7), "5s");
    r.delay_s = 0xFFFFFFFF;
    EXPECT_EQ(cell(r, 7), "-1s") << "shown signed";
    r.wait_for_schedule = 1;
    EXPECT_EQ(cell(r, 7), "sched");
    EXPECT_EQ(cell(r, 8), "goto state 3");
}

TEST(DescribeState, PumpCellNamesCodesOutsideTheTables) {
    StateRecord r = operating_state();
    r.pump_on = 2;
    EXPECT_EQ(cell(r, 3), "off") << "only 1 runs the pump";
    r.pump_on = 1;
    r.winding_current_ma = 400;
    r.step_period_us = 1000;
    r.microstep_code = 4;
    r.pump_direction = 0;
    r.stop_mode = stop::time;
    r.stop_time_s = 30;
    EXPECT_EQ(cell(r, 3), "400mA;1000\u00b5s;1x;inject;time;30s");
    r.microstep_code = 0;
    r.pump_direction = 9;
    r.stop_mode = stop::hall;
    EXPECT_EQ(cell(r, 3), "400mA;1000\u00b5s;16x;withdraw;hall;30s");
    r.microstep_code = 5;
    r.stop_mode = 3;
    EXPECT_EQ(cell(r, 3), "400mA;1000\u00b5s;unknown (5);withdraw;unknown (3);30s");
    r.microstep_code = 255;
    r.stop_mode = 255;
    EXPECT_EQ(cell(r, 3), "400mA;1000\u00b5s;unknown (255);withdraw;unknown (255);30s");
}

TEST(DescribeState, CountersTriggersAndTimeout) {
    StateRecord r = operating_state();
    r.counters[0] = {0, 5, 2, action::inc_only};
    r.counters[1] = {3, 5, 2, action::inc_only};
    r.counters[2] = {1, 2, 7, action::inc_and_test};
    r.counters[3] = {1, 2, 7, action::reset};
    r.counters[4] = {1, 2, 7, 9};
    EXPECT_EQ(cell(r, 9), "");
    EXPECT_EQ(cell(r, 10), "inc by 3");
    EXPECT_EQ(cell(r, 11), "inc by 1 and if > 2 goto state 7");
    EXPECT_EQ(cell(r, 12), "reset to zero");
    EXPECT_EQ(cell(r, 13), "?");
    EXPECT_EQ(cell(r, 14), "");
    const CounterValues values{0, 0, 255, 0, 0, 0};
    EXPECT_EQ(cell(r, 11, &values), "if 256 > 2 goto state 7") << "no wrapping in the text";
    EXPECT_EQ(cell(r, 10, &values), "inc by 3");

    EXPECT_EQ(cell(r, 15), "");
    r.diving = {0, 2, 9, 0};
    EXPECT_EQ(cell(r, 15), "if diving below P2 goto state 9");
    r.diving.level = 4;
    EXPECT_EQ(cell(r, 15), "");
    r.climbing = {0, 3, 1, 0};
    EXPECT_EQ(cell(r, 16), "if climbing above P3 goto state 1");

    r.timeout_next = 4;
    EXPECT_EQ(cell(r, 17), "");
    r.pump_on = 1;
    EXPECT_EQ(cell(r, 17), "if pump times out goto state 4");
    r.stop_mode = stop::steps;
    EXPECT_EQ(cell(r, 17), "");
}

TEST(DescribeState, ModesHideColumns) {
    StateRecord r = operating_state();
    r.valves = 3;
    r.pump_on = 1;
    r.counters[0] = {1, 0, 0, action::inc_only};
    r.mode = mode::sleeping;
    const auto sleeping = describe_state_row(1, r);
    EXPECT_EQ(sleeping[1], "sleeping");
    for (std::size_t c = 2; c <= 6; ++c)
        EXPECT_EQ(sleeping[c], "") << c;
    EXPECT_EQ(sleeping[7], "5s");
    EXPECT_EQ(sleeping[8], "goto state 3");
    EXPECT_EQ(sleeping[9], "inc by 1");
    EXPECT_EQ(sleeping[17], "if pump times out goto state 0");

    for (std::uint8_t m : {mode::idle, mode::hibernating, std::uint8_t{4}}) {
        r.mode = m;
        const auto row = describe_state_row(1, r);
        for (std::size_t c = 2; c < column_count; ++c)
            EXPECT_EQ(row[c], "") << c;
    }
    r.mode = mode::idle;
    EXPECT_EQ(cell(r, 1), "idle");
    r.mode = mode::hibernating;
    EXPECT_EQ(cell(r, 1), "hibernating");
    r.mode = 200;
    EXPECT_EQ(cell(r, 1), "unknown (200)");
    EXPECT_EQ(cell(r, 18), "") << "no column 18";
}

}  // namespace
}  // namespace quelmar::statemachine
