#include "monitor/status_monitor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::monitor {
namespace {

using namespace std::chrono_literals;
namespace cmd = protocol::cmd;
using protocol::readings_counter;

ReadingsBytes entry_with(std::uint32_t counter, std::uint8_t byte0 = 0) {
    ReadingsBytes e{};
    e[0] = byte0;
    common::put_u32le(e.data() + 1, counter);
    return e;
}

TEST(ReadingsHistory, OnlyANewCounterIsANewReading) {
    ReadingsHistory h;
    EXPECT_TRUE(h.offer(entry_with(0)));  // the first after reset, whatever its counter
    EXPECT_FALSE(h.offer(entry_with(0, 1)));  // byte 0 alone does not make a new reading
    EXPECT_TRUE(h.offer(entry_with(1)));
    EXPECT_TRUE(h.offer(entry_with(0)));  // a change back is new
    EXPECT_EQ(h.count(), 3u);

    h.clear();  // after a start: empty, but a repeat of the last reading is still a repeat
    EXPECT_EQ(h.count(), 0u);
    EXPECT_FALSE(h.offer(entry_with(0)));
    h.reset();
    EXPECT_TRUE(h.offer(entry_with(0)));
}

TEST(ReadingsHistory, KeepsTheNewest3600OldestFirst) {
    ReadingsHistory h;
    for (std::uint32_t i = 1; i <= history_capacity + 1; ++i) h.offer(entry_with(i));
    EXPECT_EQ(h.count(), history_capacity);
    const auto all = h.newest(10000);
    ASSERT_EQ(all.size(), history_capacity);
    EXPECT_EQ(readings_counter(all.front()), 2u);  // the 3601st replaced the oldest
    EXPECT_EQ(readings_counter(all.back()), history_capacity + 1);
    const auto three = h.newest(3);
    EXPECT_EQ(readings_counter(three[0]), history_capacity - 1);
    std::size_t count = 0;
    EXPECT_EQ(readings_counter(*h.from_newest(0, &count)), history_capacity + 1);
    EXPECT_EQ(count, history_capacity);
    EXPECT_EQ(readings_counter(*h.from_newest(history_capacity - 1)), 2u);
    EXPECT_FALSE(h.from_newest(history_capacity));
}

struct Monitor : test_support::SensorFixture {
    StatusMonitor monitor;
    std::vector<MonitorReport> reports;
    StatusMonitor::Listener listener() {
        return [this](const MonitorReport& r) { reports.push_back(r); };
    }
};

TEST_F(Monitor, ACycleReportsStatusModeAndStoresTheReading) {
    monitor.run_cycle(sensor_link, listener());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].comms_ok);
    EXPECT_EQ(reports[0].mode, std::optional<std::uint8_t>(2));
    EXPECT_EQ(reports[0].status.supply_mv, sensor.options().supply_mv);
    EXPECT_FALSE(reports[0].file_name);  // idle: no file
    EXPECT_EQ(monitor.history().count(), 1u);
    EXPECT_EQ(monitor.status_snapshot().temperature_mdegc, sensor.options().temperature_mdegc);
    EXPECT_NE(protocol::decode_platform_data(monitor.platform_snapshot()).salinity, 0.0f);

    // While operating the report carries the output file.
    test_support::load_machine(sensor, 2);
    std::uint8_t state = 0;
    ASSERT_EQ(protocol::send_command(sensor_link, cmd::start_state_machine, {&state, 1}),
              protocol::status::ok);
    monitor.run_cycle(sensor_link, listener());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].mode, std::optional<std::uint8_t>(0));
    EXPECT_EQ(reports[1].file_name, std::optional<std::string>("RAW00001.CSV"));
}

TEST_F(Monitor, VoltageTooLowShowsTheModeButStoresNothing) {
    sensor.force_status(cmd::read_readings, protocol::status::voltage_too_low);
    monitor.run_cycle(sensor_link, listener());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].comms_ok);
    EXPECT_TRUE(reports[0].mode.has_value());
    EXPECT_EQ(monitor.history().count(), 0u);
}

TEST_F(Monitor, OtherStatusesReportNothingAndFailuresReportCommsError) {
    sensor.force_status(cmd::read_readings, 3);
    monitor.run_cycle(sensor_link, listener());
    EXPECT_TRUE(reports.empty());
    sensor.clear_forced_status(cmd::read_readings);

    sensor.force_status(cmd::read_status, 3);
    sensor.force_status(cmd::read_platform_data, 3);
    monitor.run_cycle(sensor_link, listener());
    ASSERT_EQ(reports.size(), 1u);
    // Failed reads leave all-zero snapshots rather than stale ones.
    EXPECT_EQ(monitor.status_snapshot().supply_mv, 0);
    EXPECT_EQ(monitor.platform_snapshot(), PlatformBytes{});

    link::sensor_link_close(sensor_link);
    monitor.run_cycle(sensor_link, listener());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[1].comms_ok);
    EXPECT_FALSE(reports[1].mode);
}

// The monitor thread writes while other threads read the snapshots and the history; run under
// the thread sanitizer this shows that every access is synchronised.
TEST_F(Monitor, ThreadRunsWhileOthersReadAndStopsCleanly) {
    std::atomic<int> seen{0};
    ASSERT_TRUE(monitor.start(sensor_link, [&](const MonitorReport& r) {
        if (r.comms_ok) ++seen;
    }, 2ms));
    EXPECT_TRUE(monitor.running());
    EXPECT_FALSE(monitor.start(sensor_link, {}, 2ms));
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) {
            (void)monitor.status_snapshot();
            (void)monitor.platform_snapshot();
            (void)monitor.history().newest(100);
            (void)monitor.history().from_newest(0);
            (void)monitor.running();
        }
    });
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (seen < 20 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(5ms);
    EXPECT_GE(seen.load(), 20);
    EXPECT_GE(monitor.history().count(), 1u);
    monitor.clear_history();
    done = true;
    reader.join();
    monitor.stop();
    EXPECT_FALSE(monitor.running());
    EXPECT_EQ(monitor.history().count(), 0u);
    monitor.stop();  // a second stop does nothing
}

// A sensor that no longer answers: every exchange lasts the whole link time-out, so a cycle
// that ran on after a stop request would keep the owner waiting for each exchange left in it.
TEST_F(Monitor, AskedToStopItMakesNoFurtherExchange) {
    sensor.set_reply_latency(60s);
    std::atomic<int> reports{0};
    ASSERT_TRUE(monitor.start(sensor_link, [&](const MonitorReport&) { ++reports; }, 10s));
    for (int i = 0; i < 2000 && sensor.requests().empty(); ++i) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(sensor.requests().size(), 1u);  // the status request waits for its reply
    monitor.request_stop();
    EXPECT_FALSE(monitor.running());
    monitor.stop();
    EXPECT_EQ(sensor.requests().size(), 1u);
    EXPECT_EQ(reports.load(), 0);  // a cycle cut short reports nothing
}

}  // namespace
}  // namespace quelmar::monitor
