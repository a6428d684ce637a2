// The platform simulator's hot spots: the ETI checksum, and a glider download of the sensor's
// stored results over a real pseudo-terminal (bytes read one at a time, as the protocol does).

#include <benchmark/benchmark.h>

#include <atomic>
#include <string>

#include "simulator/simulation.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

using namespace quelmar;

void BM_Crc16ArcSentence(benchmark::State& state) {
    const std::string text = "$CMD,1,3500,12500,50,1,2,3";
    for (auto _ : state) benchmark::DoNotOptimize(simulator::crc16_arc(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Crc16ArcSentence);

// Rows per second of a download; the read time-out that ends a download is not counted.
void BM_GliderDownloadOverPty(benchmark::State& state) {
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side(sensor);
    if (!side.open()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    for (int i = 0; i < state.range(0); ++i)
        side.answer("status=a," + std::to_string(i) + ".00,1,2,3");
    simulator::SerialSettings line;
    line.path = side.path();
    std::int64_t rows = 0;
    for (auto _ : state) {
        simulator::SerialPort port = simulator::open_posix_port(line);
        common::StopSignal stop;
        std::atomic<std::int64_t> got{0};
        simulator::SimulationEvents events;
        events.row = [&](const simulator::ResultRow&) {
            if (++got == state.range(0)) stop.request_stop();
        };
        simulator::run_glider_download(port, events, stop);
        port.close();
        rows += got;
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_GliderDownloadOverPty)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
