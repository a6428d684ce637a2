// The live bench test against the virtual sensor: what each start and stop sends, the older
// optics start, the readings worker and the pump that finishes by itself.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "config/optics_bench.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::config {
namespace {

using test::hex;
using test::Image;
namespace cmd = protocol::cmd;

std::vector<std::uint8_t> payload_of(const link::SensorReport& r) {
    return {r.payload(), r.payload() + r.length()};
}

struct OpticsBench : test_support::SensorFixture {
    OpticsSettings settings;
    void SetUp() override {
        SensorFixture::SetUp();
        ASSERT_EQ(load_optics_settings(sensor_link, settings), protocol::status::ok);
        sensor.clear_requests();
    }
    std::vector<link::SensorReport> sent(std::uint16_t code) const {
        std::vector<link::SensorReport> out;
        for (const auto& r : sensor.requests())
            if (r.command() == code)
                out.push_back(r);
        return out;
    }
    std::vector<std::uint16_t> codes() const {
        std::vector<std::uint16_t> out;
        for (const auto& r : sensor.requests())
            out.push_back(r.command());
        return out;
    }
};

OpticsSettings sample_settings() {
    OpticsSettings s;
    s.optics.photodiode_power = 1;
    s.optics.led_current_ua = {48000, 1234, 0, 1};
    s.chemistry.sample_interval_ms = 1000;
    s.chemistry.multiplexer = 1;
    s.pmt.instrument = 1;
    s.pmt.control_v = 0.5f;
    return s;
}

TEST(OpticsTestRequest, CarriesOpticsIntervalMultiplexerAndPhotomultiplier) {
    const Image image = hex("00 01 01 | 80 BB | D2 04 | 00 00 | 01 00") + hex("E8 03 00 00 | 01") +
                        hex("00 | 01 | 00 00 00 3F") + test::zeros(14);
    const auto request = optics_test_request(sample_settings());
    EXPECT_EQ(test::bytes_of(request), image.bytes);
}

TEST(OpticsBenchText, ChannelsShowAsCountsOrVolts) {
    EXPECT_EQ(channel_text(65535, true), "4.99992");
    EXPECT_EQ(channel_text(0, true), "0.00000");
    EXPECT_EQ(channel_text(32768, true), "2.50000");
    EXPECT_EQ(channel_text(65535, false), "65535");
}

TEST_F(OpticsBench, StartSendsValvesPumpThenOptics) {
    settings.pump.valve_spike_ms = 300;
    BenchTestPlan plan;
    plan.valves = true;
    plan.pump = true;
    plan.optics = true;
    plan.valve_mask = 0x8001;
    plan.pump_continuously = true;
    ASSERT_EQ(start_bench_test(sensor_link, settings, plan), protocol::status::ok);
    EXPECT_EQ(codes(), (std::vector<std::uint16_t>{cmd::start_valve_test, cmd::start_pump_test,
                                                   cmd::start_optics_test}));
    EXPECT_EQ(payload_of(sent(cmd::start_valve_test)[0]), hex("01 80 | 2C 01").bytes);
    const auto pump = payload_of(sent(cmd::start_pump_test)[0]);
    ASSERT_EQ(pump.size(), pump_test_request_size);
    const auto record = encode_pump_valve_defaults(settings.pump);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), pump.begin()));
    EXPECT_EQ(pump.back(), 1);
    EXPECT_EQ(sent(cmd::start_optics_test)[0].length(), protocol::optics_test_request_size);

    sensor.clear_requests();
    ASSERT_EQ(stop_bench_test(sensor_link), protocol::status::ok);
    EXPECT_EQ(codes(), (std::vector<std::uint16_t>{cmd::stop_optics_test, cmd::stop_pump_test,
                                                   cmd::stop_valve_test}));
}

TEST_F(OpticsBench, AFailedStartStillStartsTheRestButAFailedStopSkipsIt) {
    sensor.force_status(cmd::start_valve_test, 2);
    sensor.force_status(cmd::start_pump_test, 3);
    BenchTestPlan plan;
    plan.valves = plan.pump = plan.optics = true;
    EXPECT_EQ(start_bench_test(sensor_link, settings, plan), 2);  // the first failure
    EXPECT_EQ(codes(), (std::vector<std::uint16_t>{cmd::start_valve_test, cmd::start_pump_test,
                                                   cmd::start_optics_test}));

    sensor.clear_requests();
    sensor.force_status(cmd::stop_pump_test, 2);
    EXPECT_EQ(stop_bench_test(sensor_link), 2);
    EXPECT_EQ(codes(), (std::vector<std::uint16_t>{cmd::stop_optics_test, cmd::stop_pump_test}));
}

TEST_F(OpticsBench, OlderFirmwareGetsTheShortOpticsStart) {
    sensor.set_legacy_optics(true);
    BenchTestPlan plan;
    plan.optics = true;
    ASSERT_EQ(start_bench_test(sensor_link, settings, plan), protocol::status::ok);
    ASSERT_EQ(codes(),
              (std::vector<std::uint16_t>{cmd::start_optics_test, cmd::start_optics_test_old}));
    const auto old = sent(cmd::start_optics_test_old)[0];
    EXPECT_EQ(old.length(), protocol::optics_test_old_request_size);
    const auto full = optics_test_request(settings);
    EXPECT_TRUE(std::equal(full.begin(), full.begin() + 16, old.payload()));
}

TEST(OpticsBenchPlan, APumpTestRunsTheOpticsToo) {
    OpticsForm f;
    f.test_pump = true;
    f.valves[2] = true;
    f.pump_continuously = true;
    BenchTestPlan plan = bench_test_plan(f);
    EXPECT_TRUE(plan.optics);
    EXPECT_FALSE(plan.valves);
    EXPECT_EQ(plan.valve_mask, 0x0004);
    EXPECT_TRUE(plan.pump_continuously);
}

// What the worker hands over, collected for the test thread.
struct Collected {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<BenchReadings> readings;
    bool pump_finished = false;

    BenchTestWorker::Callbacks callbacks() {
        BenchTestWorker::Callbacks c;
        c.readings = [this](const BenchReadings& r) {
            std::lock_guard lock(mutex);
            readings.push_back(r);
            changed.notify_all();
        };
        c.pump_finished = [this] {
            std::lock_guard lock(mutex);
            pump_finished = true;
            changed.notify_all();
        };
        return c;
    }
    bool wait(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20), done);
    }
};

TEST_F(OpticsBench, ReadingsFollowTheLedsAndTheOpenValves) {
    settings.optics.photodiode_power = 1;
    settings.optics.led_current_ua = {48000, 0, 0, 0};
    BenchTestPlan plan;
    plan.optics = true;
    ASSERT_EQ(start_bench_test(sensor_link, settings, plan), protocol::status::ok);
    Collected got;
    BenchTestWorker worker;
    worker.start(sensor_link, false, got.callbacks());
    ASSERT_TRUE(got.wait([&] { return !got.readings.empty(); }));
    const BenchReadings clear = got.readings.back();
    EXPECT_GT(clear.channels[0], clear.channels[1] + 30000);  // the lit LED against a dark one

    ASSERT_EQ(start_valve_test(sensor_link, 0x00FF, 100), protocol::status::ok);
    const std::size_t seen = got.readings.size();
    ASSERT_TRUE(got.wait([&] { return got.readings.size() > seen; }));
    EXPECT_LT(got.readings.back().channels[0] + 5000, clear.channels[0]);  // liquid absorbs
    worker.stop();
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(got.pump_finished);
    EXPECT_EQ(requests_of(cmd::read_pump_progress), 0u);  // no pump in this test
}

TEST_F(OpticsBench, APumpThatFinishesEndsTheTestWithoutBeingStopped) {
    settings.pump.stop_mode = 2;  // its stop time
    settings.pump.stop_time_s = 1;
    BenchTestPlan plan;
    plan.pump = plan.optics = plan.valves = true;
    plan.valve_mask = 1;
    ASSERT_EQ(start_bench_test(sensor_link, settings, plan), protocol::status::ok);
    Collected got;
    BenchTestWorker worker;
    worker.start(sensor_link, true, got.callbacks());
    ASSERT_TRUE(got.wait([&] { return got.pump_finished; }));
    worker.stop();
    EXPECT_EQ(requests_of(cmd::stop_optics_test), 1u);
    EXPECT_EQ(requests_of(cmd::stop_valve_test), 1u);
    EXPECT_EQ(requests_of(cmd::stop_pump_test), 0u);
}

TEST_F(OpticsBench, APumpStoppedByItsHallSensorReportsStopped) {
    settings.pump.stop_mode = 0;
    settings.pump.hall_stop_inject = 1;  // reached at once
    settings.pump.stop_time_s = 600;
    ASSERT_EQ(start_pump_test(sensor_link, settings.pump, false), protocol::status::ok);
    Collected got;
    BenchTestWorker worker;
    worker.start(sensor_link, true, got.callbacks());
    ASSERT_TRUE(got.wait([&] { return got.pump_finished; }));
}

TEST_F(OpticsBench, APumpRunningContinuouslyTurnsRoundInsteadOfStopping) {
    settings.pump.stop_mode = 2;
    settings.pump.stop_time_s = 1;
    settings.pump.pump_direction = 0;
    ASSERT_EQ(start_pump_test(sensor_link, settings.pump, true), protocol::status::ok);
    Collected got;
    BenchTestWorker worker;
    worker.start(sensor_link, true, got.callbacks());
    // By the third reading the first stroke (injecting, Hall 0) is over and the pump is
    // withdrawing (Hall 1 counting).
    ASSERT_TRUE(
        got.wait([&] { return got.readings.size() >= 3 && got.readings.back().hall1 > 0; }));
    worker.stop();
    EXPECT_FALSE(got.pump_finished);
    std::uint16_t progress = 0;
    ASSERT_EQ(read_pump_progress(sensor_link, progress), protocol::status::ok);
    EXPECT_NE(progress, 0);
}

}  // namespace
}  // namespace quelmar::config
