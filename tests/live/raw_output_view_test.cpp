#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTableWidget>
#include <atomic>
#include <thread>

#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "ui/shell_state.h"
#include "monitor/status_monitor.h"
#include "common/bytes.h"
#include "live/raw_graph_settings.h"
#include "live/raw_output_graph_view.h"
#include "live/raw_output_text_view.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"

namespace quelmar::live {
namespace {

using test_support::settle;
using test_support::wait_until;
namespace cmd = protocol::cmd;
using namespace std::chrono_literals;

// The sensor answers 418 with the reading counter the test sets, so the history can be filled
// quickly and exactly.
struct Views : test_support::SensorFixture {
    monitor::StatusMonitor monitor;
    ui::ScriptedPrompts prompts;
    std::atomic<std::uint32_t> counter{0};
    std::atomic<std::uint8_t> platform_valid{1};

    void SetUp() override {
        test_support::ensure_application();
        SensorFixture::SetUp();
        sensor.set_handler(cmd::read_readings, [this](virtual_sensor::VirtualSensor&,
                                                      const link::SensorReport&) {
            protocol::ReadingsEntry e;
            e.counter = counter.load();
            e.platform_valid = platform_valid.load();
            e.channels = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000};
            const auto b = protocol::encode_readings_entry(e);
            virtual_sensor::Reply r{0, {2}};
            r.payload.insert(r.payload.end(), b.begin(), b.end());
            return r;
        });
    }
    void TearDown() override {
        monitor.stop();
        SensorFixture::TearDown();
    }
    ui::ShellContext context() { return {&sensor_link, &monitor, ui::shell::connected}; }
    void fill_to(std::uint32_t n) {
        // Each new counter is held until the monitor has taken it.
        for (std::uint32_t i = counter + 1; i <= n; ++i) {
            counter = i;
            ASSERT_TRUE(wait_until([&] {
                const auto e = monitor.history().from_newest(0);
                return e && protocol::readings_counter(*e) == i;
            }, 5000)) << i;
        }
    }
    static QString cell(QTableWidget* t, int row, int column) {
        auto* item = t->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(Views, TextViewShowsTheBacklogThenFollowsWithTheRowCap) {
    counter = 1;
    ASSERT_TRUE(monitor.start(sensor_link, {}, 0ms));
    fill_to(2500);
    RawOutputTextView view(context(), nullptr, 20ms);
    EXPECT_EQ(view.header_text(), "RAW OUTPUT");
    auto* table = view.table();
    ASSERT_TRUE(wait_until([&] { return table->rowCount() == 1000; }));
    EXPECT_EQ(cell(table, 0, 0), "1501");
    EXPECT_EQ(cell(table, 999, 0), "2500");
    fill_to(2501);
    ASSERT_TRUE(wait_until([&] { return table->rowCount() == 1001; }));
    fill_to(2502);
    ASSERT_TRUE(wait_until([&] { return cell(table, 1000, 0) == "2502"; }));
    EXPECT_EQ(table->rowCount(), 1001);
    EXPECT_EQ(cell(table, 0, 0), "1502");
    EXPECT_EQ(table->horizontalHeaderItem(19)->text(), "Platform Timestamp");
}

TEST_F(Views, TextViewPauseSkipsReadingsAndRepeatsMakeOneRow) {
    ASSERT_TRUE(monitor.start(sensor_link, {}, 1ms));
    fill_to(1);
    RawOutputTextView view(context(), nullptr, 5ms);
    auto* table = view.table();
    ASSERT_TRUE(wait_until([&] { return table->rowCount() == 1; }));
    settle(50);  // the same reading, asked again and again
    EXPECT_EQ(table->rowCount(), 1);

    view.pause_box()->setChecked(true);
    fill_to(6);
    settle(50);
    EXPECT_EQ(table->rowCount(), 1);
    view.pause_box()->setChecked(false);
    settle(50);
    EXPECT_EQ(table->rowCount(), 1);  // readings 2..6 never appear
    platform_valid = 0;
    fill_to(7);
    ASSERT_TRUE(wait_until([&] { return table->rowCount() == 2; }));
    EXPECT_EQ(cell(table, 1, 0), "7");
    for (int c = 15; c < 20; ++c) EXPECT_EQ(cell(table, 1, c), "n/a") << c;
    EXPECT_NE(cell(table, 0, 15), "n/a");

    monitor.stop();  // no monitor: the table empties
    ASSERT_TRUE(wait_until([&] { return table->rowCount() == 0; }));
}

TEST_F(Views, GraphViewLabelsAndFirstRunChannelsFollowTheChemistry) {
    raw_graph_settings() = {};
    protocol::ChemistryConfig c;
    c.chemistry = protocol::chemistry::phosphate;
    const auto bytes = protocol::encode_chemistry_config(c);
    sensor.set_record(cmd::read_chemistry_config, {bytes.begin(), bytes.end()});
    {
        RawOutputGraphView view(context(), nullptr, 5ms);
        EXPECT_TRUE(prompts.messages().empty());
        EXPECT_EQ(view.channel_box(0)->text(), "Long");
        EXPECT_EQ(view.channel_box(7)->text(), "Temperature");
        for (std::size_t ch = 0; ch < 8; ++ch) EXPECT_EQ(view.channel_box(ch)->isChecked(), ch < 4) << ch;
        view.channel_box(6)->setChecked(true);
        view.platform_box()->setChecked(true);
        // The thread asks for redraws and the drawing happens here.
        ASSERT_TRUE(wait_until([&] { return view.redraw_count() > 3; }));
        view.pause_box()->setChecked(true);
        settle(30);
        const int paused_at = view.redraw_count();
        settle(60);
        EXPECT_LE(view.redraw_count(), paused_at + 1);
    }
    // The user's choice outlives the view; the chemistry no longer decides.
    c.chemistry = protocol::chemistry::ph;
    const auto ph = protocol::encode_chemistry_config(c);
    sensor.set_record(cmd::read_chemistry_config, {ph.begin(), ph.end()});
    RawOutputGraphView again(context(), nullptr, 5ms);
    EXPECT_EQ(again.channel_box(0)->text(), "Blue");
    EXPECT_TRUE(again.channel_box(6)->isChecked());
    EXPECT_FALSE(again.channel_box(4)->isChecked());
    EXPECT_TRUE(again.platform_box()->isChecked());
}

TEST_F(Views, GraphViewReadFailures) {
    raw_graph_settings() = {};
    sensor.force_status(cmd::read_chemistry_config, 1);
    {
        RawOutputGraphView view(context(), nullptr, 5ms);
        ASSERT_EQ(prompts.messages().size(), 1u);
        EXPECT_EQ(prompts.last_message().title, "Chemistry");
        EXPECT_EQ(prompts.last_message().text, "Unable to get current chemistry from sensor");
        EXPECT_EQ(requests_of(cmd::read_thermistor), 0u);
        EXPECT_EQ(view.channel_box(3)->text(), "Channel 3");
        for (std::size_t ch = 0; ch < 8; ++ch) EXPECT_FALSE(view.channel_box(ch)->isChecked());
        // The fallback record: specials at state 0, autostart on.
        EXPECT_EQ(view.sensor_control()->start_list()->count(), 3);
        EXPECT_TRUE(view.sensor_control()->autostart_box()->isChecked());
    }
    sensor.clear_forced_status(cmd::read_chemistry_config);
    prompts.shown.clear();
    sensor.clear_requests();
    // Thermistor 1 fails: its message, no read of thermistor 2, no chemistry labels.
    sensor.set_handler(cmd::read_thermistor, [](virtual_sensor::VirtualSensor&,
                                                const link::SensorReport& r) {
        if (r.payload()[0] == 1) return virtual_sensor::Reply{1, {}};
        return virtual_sensor::Reply{0, std::vector<std::uint8_t>(18, 0)};
    });
    protocol::ChemistryConfig c;
    c.chemistry = protocol::chemistry::nitrate;
    const auto bytes = protocol::encode_chemistry_config(c);
    sensor.set_record(cmd::read_chemistry_config, {bytes.begin(), bytes.end()});
    RawOutputGraphView view(context(), nullptr, 5ms);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, "Thermistor 1");
    EXPECT_EQ(prompts.last_message().text, "Unable to get thermistor(1) config");
    EXPECT_EQ(requests_of(cmd::read_thermistor), 2u);
    EXPECT_EQ(view.channel_box(0)->text(), "Channel 0");
}

// The window's thread is held up (nothing is processed) while the view's thread ticks on:
// once the window is free again it draws once, not once per missed tick.
TEST_F(Views, GraphRedrawRequestsCoalesce) {
    RawOutputGraphView view(context(), nullptr, 1ms);
    const int drawn = view.redraw_count();
    const int from = view.redraw_ticks();
    for (int i = 0; i < 5000 && view.redraw_ticks() < from + 20; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(view.redraw_ticks(), from + 20);
    view.pause_box()->setChecked(true);  // no further requests
    QCoreApplication::processEvents();
    EXPECT_LE(view.redraw_count() - drawn, 1);
}

}  // namespace
}  // namespace quelmar::live
