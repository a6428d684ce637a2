// How long Disconnect, removal and Exit wait for the status monitor when the sensor has
// stopped answering: measured from the moment the monitor is inside an exchange that will
// never be answered until the monitor's thread has ended.
//   close_first:1  the window's way: ask the monitor to stop, close the link (which ends the
//                  exchange in progress), then wait for the thread;
//   close_first:0  waiting without closing the link: the wait is cut off after one link
//                  time-out (3000 ms) and the thread collected later.

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "link/sensor_link.h"
#include "monitor/status_monitor.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

using namespace quelmar;
using namespace std::chrono_literals;

void stop_with_silent_sensor(benchmark::State& state) {
    const bool close_first = state.range(0) != 0;
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    sensor.set_reply_latency(std::chrono::hours(1));
    for (auto _ : state) {
        link::SensorLink link;
        if (link::sensor_link_open(link, sensor.path(), 3000) != link::LinkResult::ok) {
            state.SkipWithError("the virtual sensor did not open");
            break;
        }
        sensor.clear_requests();
        monitor::StatusMonitor monitor;
        monitor.start(link, {});
        while (sensor.requests().empty()) std::this_thread::sleep_for(1ms);

        const auto t0 = std::chrono::steady_clock::now();
        if (close_first) {
            monitor.request_stop();
            link::sensor_link_close(link);
        }
        monitor.stop();
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        link::sensor_link_close(link);
    }
}

}  // namespace

BENCHMARK(stop_with_silent_sensor)
    ->ArgName("close_first")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
