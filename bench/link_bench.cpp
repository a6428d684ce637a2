// One request/reply round trip through the link's worker against the virtual sensor: what the
// link itself adds to every exchange (a USB HID round trip costs at least 2 ms on top).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "link/sensor_link.h"
#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;

static void BM_SensorExchangeRoundTrip(benchmark::State& state) {
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    if (link::sensor_link_open(sensor_link, sensor.path(), 3000) != link::LinkResult::ok) {
        state.SkipWithError("cannot open the virtual sensor");
        return;
    }
    for (auto _ : state) {
        auto r = link::SensorReport::request(295);
        if (link::sensor_exchange(sensor_link, r) != link::LinkResult::ok) {
            state.SkipWithError("exchange failed");
            break;
        }
        benchmark::DoNotOptimize(r);
    }
    link::sensor_link_close(sensor_link);
}
// Each repetition is a batch of exchanges; the aggregates give the median, and the 99th
// percentile over single exchanges comes from the histogram benchmark below.
BENCHMARK(BM_SensorExchangeRoundTrip)->Repetitions(20)->ReportAggregatesOnly(true)->UseRealTime();

// Single exchanges timed one by one, reported as percentiles.
static void BM_SensorExchangePercentiles(benchmark::State& state) {
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    if (link::sensor_link_open(sensor_link, sensor.path(), 3000) != link::LinkResult::ok) {
        state.SkipWithError("cannot open the virtual sensor");
        return;
    }
    std::vector<double> micros;
    micros.reserve(200000);
    for (auto _ : state) {
        auto r = link::SensorReport::request(295);
        const auto start = std::chrono::steady_clock::now();
        const auto result = link::sensor_exchange(sensor_link, r);
        const auto end = std::chrono::steady_clock::now();
        if (result != link::LinkResult::ok) {
            state.SkipWithError("exchange failed");
            break;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    link::sensor_link_close(sensor_link);
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[static_cast<std::size_t>(q * (micros.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_SensorExchangePercentiles)->Iterations(50000)->UseRealTime();

BENCHMARK_MAIN();
