// The clock, schedule and configuration log dialogs driven through their real widgets against
// the virtual sensor.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "config/clock_dialog.h"
#include "config/clock_record.h"
#include "config/report_dialog.h"
#include "config/schedule_dialog.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/clock_handlers.h"

namespace quelmar::config {
namespace {

namespace cmd = protocol::cmd;
constexpr std::int64_t pc_time = 1773577845;  // 15/03/2026 12:30:45 UTC

class TimeDialogs : public test_support::SensorFixture {
  protected:
    void SetUp() override {
        test_support::ensure_application();
        virtual_sensor::clock_state(sensor)->pc_now = [] { return pc_time; };
        SensorFixture::SetUp();
    }
    MeasurementSchedule stored_schedule() {
        return common::decode_record<MeasurementSchedule>(
            std::span<const std::uint8_t>(sensor.record(cmd::read_schedule))
                .first<measurement_schedule_size>());
    }
    void store_schedule(const MeasurementSchedule& s) {
        const auto b = common::encode_record(s);
        sensor.set_record(cmd::read_schedule, {b.begin(), b.end()});
    }
    ui::ScriptedPrompts prompts;
};

TEST_F(TimeDialogs, VersionTwoScheduleOffersOnlyThirtyMinutes) {
    store_schedule({2, interval_kind::continuous, 1773576000, 0, 0, 0});
    ScheduleDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_TRUE(d.continuous_option()->isChecked());
    EXPECT_FALSE(d.minutes_box()->isEnabled());
    EXPECT_FALSE(d.stop_date()->isEnabled());
    d.minutes_option()->click();
    EXPECT_EQ(d.minutes_box()->text(), "30");
    EXPECT_FALSE(d.minutes_box()->isEnabled());
    d.save_button()->click();
    const MeasurementSchedule saved = stored_schedule();
    EXPECT_EQ(saved.kind, interval_kind::every_30_minutes);
    EXPECT_EQ(saved.count, 30);
    EXPECT_EQ(saved.version, 2);
    EXPECT_EQ(prompts.last_message().title, "Save");
    EXPECT_EQ(prompts.last_message().text,
              "New schedule saved.\n\nSensor time now: 15/03/2026 12:30:45.\n"
              "Next scheduled measurement: 15/03/2026 13:00:00.");
}

TEST_F(TimeDialogs, HoursBoxOutOfRangeBlocksSaveAndStopTimeStartsAtTheStart) {
    store_schedule({3, interval_kind::continuous, 1773576000, 0, 0, 0});
    ScheduleDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    d.hours_option()->click();
    EXPECT_EQ(d.hours_box()->text(), "1");
    EXPECT_TRUE(d.hours_box()->isEnabled());
    for (const char* bad : {"0", "70000"}) {
        d.hours_box()->setText(bad);
        EXPECT_FALSE(d.save_button()->isEnabled()) << bad;
        EXPECT_FALSE(d.hours_box()->styleSheet().isEmpty()) << bad;
    }
    d.hours_box()->setText("6");
    EXPECT_TRUE(d.save_button()->isEnabled());

    d.stop_box()->click();
    EXPECT_TRUE(d.stop_date()->isEnabled());
    EXPECT_EQ(d.stop_date()->date(), QDate(2026, 3, 15));
    EXPECT_EQ(d.stop_time()->time(), QTime(12, 0, 0));
    d.save_button()->click();
    EXPECT_EQ(stored_schedule(),
              (MeasurementSchedule{3, interval_kind::hours, 1773576000, 1, 1773576000, 6}));
    EXPECT_EQ(prompts.last_message().text,
              "New schedule saved.\n\nNext scheduled measurement: none (stop time reached).");

    d.stop_box()->click();
    d.save_button()->click();
    EXPECT_EQ(stored_schedule().stop_time, 0u);
    EXPECT_EQ(stored_schedule().stop_enabled, 0);
}

TEST_F(TimeDialogs, ScheduleFailuresSayWhy) {
    virtual_sensor::set_schedule_version(sensor, 1);
    {
        ScheduleDialog d(sensor_link, nullptr);
        EXPECT_FALSE(d.loaded());
        EXPECT_EQ(prompts.last_message().title, "Load Schedule");
        EXPECT_EQ(prompts.last_message().text,
                  "Unable to get schedule because your sensor's firmware is too old for this "
                  "version of the GUI.");
    }
    virtual_sensor::set_schedule_version(sensor, 3);
    ScheduleDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    sensor.force_status(cmd::read_schedule_timing, 9);
    d.save_button()->click();
    EXPECT_EQ(prompts.last_message().text, "New schedule saved.\n\nNow check sensor's clock.");
    sensor.force_status(cmd::write_schedule, 3);
    d.save_button()->click();
    EXPECT_EQ(prompts.last_message().text, "Unable to save schedule to sensor");
    sensor.force_status(cmd::read_schedule, 3);
    ScheduleDialog failed(sensor_link, nullptr);
    EXPECT_FALSE(failed.loaded());
    EXPECT_EQ(prompts.last_message().text, "Unable to retrieve schedule from sensor");
}

TEST_F(TimeDialogs, ClockShowsTheSensorTimeAndSetsItInUtc) {
    // A zone far from UTC: the PC's local time would put the sensor off by hours.
    const char* old_tz = std::getenv("TZ");
    const std::string saved_tz = old_tz ? old_tz : "";
    setenv("TZ", "IST-5:30", 1);  // POSIX form: needs no time zone database
    tzset();
    {
        ClockDialog d(sensor_link, nullptr);
        d.pc_now = [] { return pc_time + 3600; };
        EXPECT_TRUE(d.this_time_option()->isChecked());
        EXPECT_TRUE(d.date_picker()->isEnabled());
        ASSERT_TRUE(
            test_support::wait_until([&] { return d.face()->text() == "15/03/2026 12:30:45"; }));

        d.pc_time_option()->click();
        EXPECT_FALSE(d.date_picker()->isEnabled());
        d.set_now_button()->click();
        SensorClock c;
        ASSERT_EQ(read_sensor_clock(sensor_link, c), 0);
        EXPECT_EQ(c, (SensorClock{0, 2026, 3, 15, 13, 30, 45}));
        ASSERT_TRUE(
            test_support::wait_until([&] { return d.face()->text() == "15/03/2026 13:30:45"; }));

        // A picked date the sensor cannot hold is refused, not wrapped into another date.
        d.this_time_option()->click();
        d.date_picker()->setDate(QDate(2040, 5, 1));
        const auto before = requests_of(cmd::write_clock);
        d.set_now_button()->click();
        EXPECT_EQ(requests_of(cmd::write_clock), before);
        EXPECT_EQ(prompts.last_message().title, "Save");

        d.date_picker()->setDate(QDate(2030, 6, 1));
        d.time_picker()->setTime(QTime(8, 9, 10));
        d.set_now_button()->click();
        ASSERT_EQ(read_sensor_clock(sensor_link, c), 0);
        EXPECT_EQ(c, (SensorClock{0, 2030, 6, 1, 8, 9, 10}));

        sensor.force_status(cmd::write_clock, 3);
        d.set_now_button()->click();
        EXPECT_EQ(prompts.last_message().text, "Failed to set RTC time");
        sensor.force_status(cmd::read_clock, 3);
        ASSERT_TRUE(test_support::wait_until([&] { return d.face()->text() == "ERROR"; }));
        d.reject();
    }
    if (old_tz)
        setenv("TZ", saved_tz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(TimeDialogs, ConfigurationLogCopiesWithCrLfAndSavesEveryLine) {
    ReportDialog d(sensor_link, pc_time, nullptr);
    EXPECT_EQ(d.windowTitle(), "Sensor Configuration Log");
    ASSERT_EQ(d.list()->count(), int(d.report().lines.size()));
    EXPECT_EQ(d.report().file_base, "Virtual Sensor");
    d.list()->item(1)->setSelected(true);
    d.list()->item(4)->setSelected(true);
    d.copy_selected();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "SENSOR IDENTIFICATION:\r\nSensor Name: Virtual Sensor\r\n");

    QTemporaryDir dir;
    const QString path = dir.filePath("fleet_config.log");
    prompts.choose(path);
    d.save_button()->click();
    std::ifstream in(path.toStdString());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    EXPECT_EQ(lines, d.report().lines);

    prompts.choose(dir.filePath("no/such/folder/x.txt"));
    d.save_button()->click();
    EXPECT_EQ(prompts.last_message().text, "Couldn't write to file");
}

}  // namespace
}  // namespace quelmar::config
