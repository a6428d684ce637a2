#pragma once
// The live bench test of the optics, valves and pump: the commands that start and stop each
// part, and the worker that watches the analogue inputs once a second while the test runs.
//
// The worker never touches the dialog. It is started with the settings of that test (whether
// the pump is being watched) and hands each reading, and the pump's end, to callbacks that the
// owner turns into calls on its own thread.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "common/stop_signal.h"
#include "config/optics_form.h"
#include "link/sensor_link.h"
#include "protocol/optics_test.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t pump_test_request_size = pump_valve_defaults_size + 1;

// The 626 request: optics defaults, the sample interval and multiplexer of the sensor's
// chemistry configuration, and the photomultiplier settings.
std::array<std::uint8_t, protocol::optics_test_request_size> optics_test_request(
    const OpticsSettings& settings);

protocol::SensorStatus start_valve_test(link::SensorLink& link, std::uint16_t mask,
                                        std::uint16_t spike_ms);  // 357
protocol::SensorStatus start_pump_test(link::SensorLink& link, const PumpValveDefaults& pump,
                                       bool continuously);        // 354
protocol::SensorStatus stop_optics_test(link::SensorLink& link);  // 371
protocol::SensorStatus stop_pump_test(link::SensorLink& link);    // 355
protocol::SensorStatus stop_valve_test(link::SensorLink& link);   // 358
// 356: `progress` is 0 once the pump has stopped.
protocol::SensorStatus read_pump_progress(link::SensorLink& link, std::uint16_t& progress);

struct BenchTestPlan {
    bool valves = false;
    bool pump = false;
    bool optics = false;  // also on whenever the pump runs
    std::uint16_t valve_mask = 0;
    bool pump_continuously = false;
};
BenchTestPlan bench_test_plan(const OpticsForm& form);

// Valves, then pump, then optics (626, or 370 for older firmware), each tried even when an
// earlier one failed; the result is the first failure. What started keeps running until the
// test is stopped.
protocol::SensorStatus start_bench_test(link::SensorLink& link, const OpticsSettings& settings,
                                        const BenchTestPlan& plan);
// Optics, pump, valves; a failure skips the rest.
protocol::SensorStatus stop_bench_test(link::SensorLink& link);

struct BenchReadings {
    std::array<std::uint16_t, 8> channels{};
    std::uint16_t hall0 = 0;
    std::uint16_t hall1 = 0;
};

// A channel box: the raw count, or volts (count × 5 / 65536, "%.5f").
std::string channel_text(std::uint16_t count, bool volts);

class BenchTestWorker {
  public:
    struct Callbacks {
        std::function<void(const BenchReadings&)> readings;
        // The pump stopped by itself; the optics and valves have been told to stop.
        std::function<void()> pump_finished;
    };

    BenchTestWorker() = default;
    ~BenchTestWorker() { stop(); }
    BenchTestWorker(const BenchTestWorker&) = delete;
    BenchTestWorker& operator=(const BenchTestWorker&) = delete;

    // Stops any previous run first. The callbacks run on the worker's thread and must not
    // call stop().
    void start(link::SensorLink& link, bool watch_pump, Callbacks callbacks);
    // Returns once the thread has ended: it wakes at once from its wait, and an exchange in
    // progress ends within the link's time-out.
    void stop();
    bool running() const { return thread_.joinable(); }

  private:
    void run(link::SensorLink& link, bool watch_pump, const Callbacks& callbacks);

    common::StopSignal stop_;
    std::thread thread_;
};

}  // namespace quelmar::config
