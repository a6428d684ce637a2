// What the diagnostics view costs per entry: turning a log entry into its row texts, and one
// 307 exchange with the virtual sensor through the real link code. And the maintenance
// password check, whose time must not depend on how much of the text is right.

#include <benchmark/benchmark.h>

#include "link/sensor_link.h"
#include "maintenance/diagnostics_log.h"
#include "maintenance/factory_settings.h"
#include "protocol/commands.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

using namespace quelmar;

void BM_DiagnosticsRowTexts(benchmark::State& state) {
    maintenance::DiagnosticsLogEntry e;
    e.counter = 123456;
    e.severity = 1;
    const std::string f = "platform_poll", m = "No reply from host platform";
    std::copy(f.begin(), f.end(), e.function.begin());
    std::copy(m.begin(), m.end(), e.message.begin());
    const auto bytes = common::encode_record(e);
    for (auto _ : state) {
        const auto decoded = common::decode_record<maintenance::DiagnosticsLogEntry>(bytes);
        auto row = maintenance::diagnostics_row(decoded);
        benchmark::DoNotOptimize(row);
        benchmark::DoNotOptimize(maintenance::diagnostics_colour(decoded));
    }
}
BENCHMARK(BM_DiagnosticsRowTexts);

void BM_ReadLogEntryFromVirtualSensor(benchmark::State& state) {
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink link;
    if (link::sensor_link_open(link, sensor.path(), 1000) != link::LinkResult::ok) {
        state.SkipWithError("no virtual sensor");
        return;
    }
    // An entry always waiting, so every exchange carries a full 114-byte reply.
    const auto entry = common::encode_record(maintenance::DiagnosticsLogEntry{});
    sensor.set_handler(protocol::cmd::read_log_entry,
                       [&](virtual_sensor::VirtualSensor&, const link::SensorReport&) {
                           return virtual_sensor::Reply{0, {entry.begin(), entry.end()}};
                       });
    maintenance::DiagnosticsLogEntry e;
    for (auto _ : state)
        benchmark::DoNotOptimize(maintenance::read_log_entry(link, e));
    link::sensor_link_close(link);
}
BENCHMARK(BM_ReadLogEntryFromVirtualSensor)->UseRealTime();

// Arg: how many leading characters are right (5 = the whole password).
void BM_PasswordCheck(benchmark::State& state) {
    std::string typed = "xxxxx";
    const std::string right = "brume";
    for (int i = 0; i < state.range(0); ++i)
        typed[i] = right[i];
    for (auto _ : state)
        benchmark::DoNotOptimize(maintenance::maintenance_password_matches(typed));
}
BENCHMARK(BM_PasswordCheck)->DenseRange(0, 5);

}  // namespace

BENCHMARK_MAIN();
