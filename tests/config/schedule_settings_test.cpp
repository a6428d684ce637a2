// The clock and schedule records against byte images written from their tables, the calendar
// conversions, the schedule dialog's rules, and the virtual sensor's clock and 445 timing.

#include <gtest/gtest.h>

#include "config/clock_record.h"
#include "config/schedule_settings.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/clock_handlers.h"

namespace quelmar::config {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

TEST(ClockScheduleRecords, MatchTheirByteImages) {
    const Image clock = hex("00 | EA 07 | 03 | 0F | 0C | 1E | 2D");
    const auto c = common::decode_record<SensorClock>(clock.as<sensor_clock_size>());
    EXPECT_EQ(c, (SensorClock{0, 2026, 3, 15, 12, 30, 45}));
    EXPECT_EQ(bytes_of(common::encode_record(c)), clock.bytes);

    const Image schedule = hex("03 | 05 | 80 7F A3 69 | 01 | FF 7F 36 6B | 02 01");
    const auto s =
        common::decode_record<MeasurementSchedule>(schedule.as<measurement_schedule_size>());
    EXPECT_EQ(s, (MeasurementSchedule{3, 5, 0x69A37F80u, 1, 0x6B367FFFu, 258}));
    EXPECT_EQ(bytes_of(common::encode_record(s)), schedule.bytes);

    const Image timing = hex("75 A5 B6 69 | 80 A6 B6 69 | 01");
    const auto t = common::decode_record<ScheduleTiming>(timing.as<schedule_timing_size>());
    EXPECT_EQ(t, (ScheduleTiming{0x69B6A575u, 0x69B6A680u, 1}));
}

TEST(CalendarConversion, DatesOutsideTheConvertibleYearsAreRefusedNotWrapped) {
    EXPECT_EQ(seconds_from_clock({0, 1970, 1, 1, 0, 0, 0}), 0u);
    EXPECT_EQ(seconds_from_clock({0, 2026, 3, 15, 12, 30, 45}), 1773577845u);
    EXPECT_EQ(seconds_from_clock({0, 2024, 2, 29, 0, 0, 0}), 1709164800u);
    EXPECT_EQ(seconds_from_clock({0, 2038, 1, 19, 3, 14, 7}), 0x7FFFFFFFu);
    EXPECT_FALSE(seconds_from_clock({0, 2038, 1, 19, 3, 14, 8}));
    EXPECT_FALSE(seconds_from_clock({0, 1969, 12, 31, 23, 59, 59}));
    EXPECT_FALSE(seconds_from_clock({0, 2039, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(seconds_from_clock({0, 2025, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(seconds_from_clock({0, 2026, 13, 1, 0, 0, 0}));
    EXPECT_FALSE(seconds_from_clock({0, 2026, 1, 1, 24, 0, 0}));

    for (std::uint32_t s : {0u, 951782400u, 1773577845u, 0x7FFFFFFFu})
        EXPECT_EQ(seconds_from_clock(*clock_from_seconds(s)), s);
    EXPECT_FALSE(clock_from_seconds(0x80000000u));
    EXPECT_EQ(schedule_time_text(0x80000000u), "invalid");
    EXPECT_EQ(schedule_time_text(1773577845u), "15/03/2026 12:30:45");
}

TEST(ScheduleForm, VersionTwoHasOnlyTheThirtyMinuteInterval) {
    ScheduleForm f = form_from_schedule({2, interval_kind::continuous, 100, 0, 0, 0});
    EXPECT_EQ(f.hours, "");
    EXPECT_EQ(f.minutes, "");
    f = choose_interval(f, interval_kind::minutes);
    EXPECT_EQ(f.minutes, "30");
    const MeasurementSchedule s = schedule_from_form(f);
    EXPECT_EQ(s.kind, interval_kind::every_30_minutes);
    EXPECT_EQ(s.count, 30);
    EXPECT_EQ(s.version, 2);
    const ScheduleEnabling e = schedule_enabling(f);
    EXPECT_FALSE(e.minutes_box);
    EXPECT_FALSE(e.hours_box);
    EXPECT_TRUE(e.save);

    // Version 3 keeps a free minute count.
    ScheduleForm v3 =
        choose_interval(form_from_schedule({3, 0, 0, 0, 0, 0}), interval_kind::minutes);
    EXPECT_EQ(v3.minutes, "1");
    v3.minutes = "45";
    EXPECT_EQ(schedule_from_form(v3),
              (MeasurementSchedule{3, interval_kind::minutes, 0, 0, 0, 45}));
    EXPECT_TRUE(schedule_enabling(v3).minutes_box);
}

TEST(ScheduleForm, SwitchingIntervalStartsTheCountAtOneAndOutOfRangeCountsBlockSave) {
    ScheduleForm f = form_from_schedule({3, interval_kind::continuous, 0, 0, 0, 0});
    f = choose_interval(f, interval_kind::hours);
    EXPECT_EQ(f.hours, "1");
    EXPECT_EQ(f.minutes, "");
    EXPECT_TRUE(schedule_enabling(f).hours_box);
    EXPECT_TRUE(schedule_enabling(f).save);

    for (const char* bad : {"0", "70000", "-3", ""}) {
        f.hours = bad;
        const ScheduleEnabling e = schedule_enabling(f);
        EXPECT_TRUE(e.hours_red) << bad;
        EXPECT_FALSE(e.save) << bad;
    }
    f.hours = "65535";
    EXPECT_TRUE(schedule_enabling(f).save);
    EXPECT_EQ(schedule_from_form(f).count, 65535);

    // Continuously stores no count.
    f = choose_interval(f, interval_kind::continuous);
    EXPECT_EQ(schedule_from_form(f).count, 0);
    EXPECT_TRUE(schedule_enabling(f).save);
}

TEST(ScheduleForm, EnablingTheStopTimeCopiesTheStartAndDisablingStoresZero) {
    ScheduleForm f = form_from_schedule({3, interval_kind::hours, 1773577845u, 0, 0, 6});
    f = toggle_stop_time(f, true);
    EXPECT_TRUE(f.stop_enabled);
    EXPECT_EQ(f.stop_time, 1773577845u);
    EXPECT_TRUE(schedule_enabling(f).stop_pickers);
    EXPECT_EQ(f.hours, "6");
    f = toggle_stop_time(f, false);
    EXPECT_EQ(schedule_from_form(f).stop_time, 0u);
    EXPECT_EQ(schedule_from_form(f).stop_enabled, 0);
    EXPECT_FALSE(schedule_enabling(f).stop_pickers);
}

TEST(ScheduleMessages, SavedMessageAndIntervalTexts) {
    EXPECT_EQ(schedule_saved_message(14, {}), "New schedule saved.\n\nNow check sensor's clock.");
    EXPECT_EQ(schedule_saved_message(0, {1, 2, 1}),
              "New schedule saved.\n\nNext scheduled measurement: none (stop time reached).");
    EXPECT_EQ(schedule_saved_message(0, {1773577845u, 0x80000000u, 0}),
              "New schedule saved.\n\nSensor time now: 15/03/2026 12:30:45.\n"
              "Next scheduled measurement: invalid.");
    EXPECT_EQ(interval_text({3, 4, 0, 0, 0, 1}), "Interval: Measure every 1 hour");
    EXPECT_EQ(interval_text({3, 4, 0, 0, 0, 3}), "Interval: Measure every 3 hours");
    EXPECT_EQ(interval_text({3, 5, 0, 0, 0, 2}), "Interval: Measure every 2 minutes");
    EXPECT_EQ(interval_text({3, 5, 0, 0, 0, 1}), "Interval: Measure every 1 minute");
    // The 30-minute kind of older firmware has no line of its own.
    EXPECT_EQ(interval_text({2, 1, 0, 0, 0, 30}), "Interval: unknown (1)");
}

struct VirtualClock : test_support::SensorFixture {
    void SetUp() override {
        virtual_sensor::clock_state(sensor)->pc_now = [] { return std::int64_t{1773577845}; };
        SensorFixture::SetUp();
    }
};

TEST_F(VirtualClock, RunsFromThePcTimeUntilSetAndRefusesImpossibleDates) {
    SensorClock c;
    ASSERT_EQ(read_sensor_clock(sensor_link, c), 0);
    EXPECT_EQ(c, (SensorClock{0, 2026, 3, 15, 12, 30, 45}));
    ASSERT_EQ(write_sensor_clock(sensor_link, {0, 2030, 6, 1, 8, 0, 0}), 0);
    ASSERT_EQ(read_sensor_clock(sensor_link, c), 0);
    EXPECT_EQ(c, (SensorClock{0, 2030, 6, 1, 8, 0, 0}));
    EXPECT_NE(write_sensor_clock(sensor_link, {0, 2030, 2, 30, 8, 0, 0}), 0);
    ASSERT_EQ(read_sensor_clock(sensor_link, c), 0);
    EXPECT_EQ(c.year, 2030);
    EXPECT_EQ(c.month, 6);
}

TEST_F(VirtualClock, TimingGivesTheNextMeasurementFromTheSchedule) {
    const std::uint32_t now = 1773577845;  // 12:30:45
    const std::uint32_t noon = 1773576000;
    ASSERT_EQ(write_schedule(sensor_link, {3, interval_kind::minutes, noon, 0, 0, 20}), 0);
    ScheduleTiming t;
    ASSERT_EQ(read_schedule_timing(sensor_link, t), 0);
    EXPECT_EQ(t, (ScheduleTiming{now, noon + 40 * 60, 0}));

    // A start still ahead is the next measurement; a stop time before it ends the schedule.
    ASSERT_EQ(write_schedule(sensor_link, {3, interval_kind::hours, now + 10, 1, now + 5, 1}), 0);
    ASSERT_EQ(read_schedule_timing(sensor_link, t), 0);
    EXPECT_EQ(t.next, now + 10);
    EXPECT_EQ(t.stop_reached, 1);

    // A zero count never divides: the sensor measures now.
    ASSERT_EQ(write_schedule(sensor_link, {3, interval_kind::hours, noon, 0, 0, 0}), 0);
    ASSERT_EQ(read_schedule_timing(sensor_link, t), 0);
    EXPECT_EQ(t.next, now);
}

TEST_F(VirtualClock, ScheduleKeepsTheFormatVersionAskedFor) {
    MeasurementSchedule s;
    ASSERT_EQ(read_schedule(sensor_link, s), 0);
    EXPECT_EQ(s.version, 3);
    virtual_sensor::set_schedule_version(sensor, 2);
    ASSERT_EQ(read_schedule(sensor_link, s), 0);
    EXPECT_EQ(s.version, 2);
}

}  // namespace
}  // namespace quelmar::config
