#include "virtual_sensor/state_machine_handlers.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "config/optics_defaults.h"
#include "protocol/commands.h"
#include "statemachine/dry_run.h"
#include "statemachine/state_record.h"
#include "virtual_sensor/sensor_state.h"

namespace quelmar::virtual_sensor {

namespace cmd = protocol::cmd;
using statemachine::StateRecord;

namespace {
constexpr std::size_t max_states = statemachine::max_states;

Reply status_only(std::uint8_t s) {
    return Reply{s, {}};
}

config::OpticsDefaults factory_optics() {
    config::OpticsDefaults d;
    d.photodiode_power = 1;
    d.led_current_ua = {20000, 20000, 15000, 10000};
    return d;
}

config::PumpValveDefaults factory_pump() {
    config::PumpValveDefaults d;
    d.pump_direction = 1;
    d.winding_current_ma = 400;
    d.step_period_us = 1000;
    d.microstep_code = 0;
    d.stop_mode = statemachine::stop::hall;
    d.hall_stop_inject = 2000;
    d.hall_stop_withdraw = 2000;
    d.stop_time_s = 30;
    d.hall_power = 1;
    d.valve_spike_ms = 100;
    return d;
}

// What the stepping remembers between calls: the counters of the current run, and where it
// left the run, so that a run started afresh by the run control (a different state or entry
// time) begins with the counters at 0.
struct StepContext {
    statemachine::CounterValues counters{};
    std::uint8_t state = 255;
    std::chrono::steady_clock::time_point entered{};
};

StateRecord record_of(const StateMachineStore& store, std::size_t i) {
    return statemachine::decode_state_record(store.states[i]);
}

void stop_run(RunState& run) {
    run.running = false;
    run.current_state = 255;
    run.mode = statemachine::mode::idle;
}

// A state that waits for the next scheduled measurement waits this long; the virtual sensor
// keeps no measurement schedule of its own.
constexpr std::chrono::seconds schedule_wait{1};
// Guards against a cycle of states without delay: at most this many moves per call.
constexpr int max_moves_per_step = 256;

void step_machine(StepContext& ctx, RunState& run, StateMachineStore& store,
                  std::chrono::steady_clock::time_point now) {
    std::lock_guard lock(store.mutex);
    if (!run.running)
        return;
    if (run.current_state != ctx.state || run.state_entered != ctx.entered)
        ctx.counters = {};
    for (int moves = 0; moves < max_moves_per_step; ++moves) {
        if (run.current_state >= store.states.size()) {
            stop_run(run);
            break;
        }
        const StateRecord r = record_of(store, run.current_state);
        run.mode = r.mode;
        if (r.mode == statemachine::mode::idle || r.mode == statemachine::mode::hibernating)
            break;
        const std::chrono::steady_clock::duration delay =
            r.wait_for_schedule ? std::chrono::steady_clock::duration(schedule_wait)
                                : std::chrono::seconds(r.delay_s);
        if (now - run.state_entered < delay)
            break;
        const std::uint32_t next = statemachine::next_state_by_counters(r, ctx.counters);
        run.state_entered += delay;
        if (next >= store.states.size()) {
            stop_run(run);
            break;
        }
        run.current_state = static_cast<std::uint8_t>(next);
        run.mode = record_of(store, next).mode;
    }
    ctx.state = run.current_state;
    ctx.entered = run.state_entered;
}

Reply read_count(VirtualSensor& sensor, const link::SensorReport&) {
    auto store = state_machine_store(sensor);
    std::lock_guard lock(store->mutex);
    Reply r{protocol::status::ok, std::vector<std::uint8_t>(2)};
    common::put_u16le(r.payload.data(), static_cast<std::uint16_t>(store->states.size()));
    return r;
}

Reply read_state(VirtualSensor& sensor, const link::SensorReport& request) {
    auto store = state_machine_store(sensor);
    std::lock_guard lock(store->mutex);
    const std::size_t i = request.payload()[0];
    if (i >= store->states.size())
        return status_only(state_out_of_range_status);
    return Reply{protocol::status::ok, {store->states[i].begin(), store->states[i].end()}};
}

// States arrive in order from 0; state 0 starts a new machine and the flagged state ends it.
// A state past the end of what has arrived is refused, so the table never has gaps.
Reply write_state(VirtualSensor& sensor, const link::SensorReport& request) {
    if (request.length() < 2 + state_record_bytes)
        return status_only(state_out_of_range_status);
    auto store = state_machine_store(sensor);
    std::lock_guard lock(store->mutex);
    const std::size_t i = request.payload()[0];
    const bool last = request.payload()[1] == 1;
    if (i >= max_states)
        return status_only(state_out_of_range_status);
    if (i == 0)
        store->states.clear();
    if (i > store->states.size())
        return status_only(state_out_of_range_status);
    if (i == store->states.size())
        store->states.emplace_back();
    std::memcpy(store->states[i].data(), request.payload() + 2, state_record_bytes);
    if (last)
        store->states.resize(i + 1);
    return status_only(protocol::status::ok);
}
}  // namespace

void install_state_machine_handlers(VirtualSensor& sensor) {
    const auto optics = config::encode_optics_defaults(factory_optics());
    sensor.set_record(cmd::read_optics_defaults, {optics.begin(), optics.end()});
    const auto pump = config::encode_pump_valve_defaults(factory_pump());
    sensor.set_record(cmd::read_pump_valve_defaults, {pump.begin(), pump.end()});

    sensor.set_handler(cmd::read_state_count, read_count);
    sensor.set_handler(cmd::read_state, read_state);
    sensor.set_handler(cmd::write_state, write_state);

    auto run = run_state(sensor);
    auto ctx = std::make_shared<StepContext>();
    std::lock_guard lock(run->mutex);
    run->step = [ctx](RunState& r, StateMachineStore& store,
                      std::chrono::steady_clock::time_point now) {
        step_machine(*ctx, r, store, now);
    };
}

}  // namespace quelmar::virtual_sensor
