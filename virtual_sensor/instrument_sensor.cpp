#include "virtual_sensor/instrument_sensor.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>

#include "config/chemistry_parameters.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "statemachine/state_record.h"
#include "virtual_sensor/instrument_results.h"

namespace quelmar::virtual_sensor {

namespace {

using Clock = std::chrono::steady_clock;

// Seconds of the sensor's clock run at most in one timer call, so that a stalled timer catches
// up in bounded steps.
constexpr std::uint32_t max_catch_up = 20000;

struct InstrumentLive {
    std::mutex mutex;
    InstrumentOptions options;
    std::unique_ptr<Instrument> instrument;
    std::vector<TruthPoint> truth;
    std::size_t results_taken = 0;
    std::uint64_t generation = 0;  // a new start ends the timer chain of the previous one
    bool running = false;
    Clock::time_point started{};
    std::uint64_t ticks = 0;
    std::size_t mount_requests = 0;
    std::uint32_t next_file_clock = 0;
};

std::shared_ptr<InstrumentLive> live_state(VirtualSensor& sensor) {
    return sensor.feature_state<InstrumentLive>("instrument");
}

template <std::size_t N>
std::vector<std::uint8_t> bytes_of(const std::array<std::uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

std::string make_card_folder() {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path();
    for (unsigned i = 0; i < 1000; ++i) {
        const fs::path p = base / ("quelmar-card-" + std::to_string(std::time(nullptr)) + "-" +
                                   std::to_string(std::rand() % 100000));
        std::error_code ec;
        if (fs::create_directory(p, ec)) return p.string();
    }
    return {};
}

// Runs the samples that are due by now and copies new results into the sensor's store; then
// schedules itself again while this start is current.
void run_due(VirtualSensor& sensor, std::shared_ptr<InstrumentLive> live, std::uint64_t generation) {
    std::chrono::milliseconds period{};
    {
        std::lock_guard lock(live->mutex);
        if (!live->running || live->generation != generation || !live->instrument) return;
        const double elapsed = std::chrono::duration<double>(Clock::now() - live->started).count();
        const auto due = static_cast<std::uint64_t>(elapsed * live->options.speed) + 1;
        std::uint32_t n = 0;
        while (live->ticks < due && n < max_catch_up) {
            live->instrument->tick();
            ++live->ticks;
            ++n;
        }
        const auto& results = live->instrument->results();
        const auto& truth = live->instrument->truth();
        for (; live->results_taken < results.size(); ++live->results_taken) {
            add_result(sensor, results[live->results_taken]);
            live->truth.push_back(truth[live->results_taken]);
        }
        auto run = run_state(sensor);
        {
            std::lock_guard run_lock(run->mutex);
            if (run->running) run->current_state = live->instrument->state();
        }
        const double ms = 1000.0 / std::max(live->options.speed, 0.001);
        period = std::chrono::milliseconds(std::clamp<long>(long(ms), 1, 1000));
    }
    sensor.schedule(period, [&sensor, live, generation] { run_due(sensor, live, generation); });
}

}  // namespace

std::vector<std::array<std::uint8_t, state_record_bytes>> factory_state_machine(InstrumentChemistry c) {
    namespace sm = statemachine;
    // Valves: 0 sample inlet, 1 blank, 2 standard 1, 3 standard 2, 4 reagent (or dye), 15 waste.
    auto valves_of = [](Fill f) -> std::uint16_t {
        switch (f) {
            case Fill::flush: return (1u << 0) | (1u << 15);
            case Fill::intake: return 1u << 0;
            case Fill::blank: return (1u << 1) | (1u << 4);
            case Fill::oc_blank: return 1u << 1;
            case Fill::standard1: return (1u << 2) | (1u << 4);
            case Fill::standard2: return (1u << 3) | (1u << 4);
            case Fill::rinse: return (1u << 1) | (1u << 15);
            case Fill::oc_sample: return 0;
            case Fill::sample: return 1u << 4;
        }
        return 0;
    };
    const auto& cycle = factory_cycle(c);
    std::uint8_t highest = 0;
    for (const auto& s : cycle) highest = std::max(highest, s.state);
    std::vector<std::array<std::uint8_t, state_record_bytes>> out(highest + 1u);
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        const CycleState& s = cycle[i];
        const bool pumping = s.fill == Fill::flush || s.fill == Fill::intake || s.fill == Fill::rinse;
        const bool measuring = !pumping;
        sm::StateRecord r;
        r.format_flag = 1;
        r.mode = sm::mode::operating;
        r.valves = valves_of(s.fill);
        // LEDs 1-3 light the Long, Medium and Short paths (pH: 434 and 578 nm).
        if (measuring) r.led_setting = {2000, 2000, 2000, 0};
        r.photodiode_power = measuring ? 1 : 0;
        r.hall_power = pumping ? 1 : 0;
        r.pump_on = pumping ? 1 : 0;
        r.pump_direction = s.fill == Fill::intake ? 1 : 0;
        r.winding_current_ma = 200;
        r.step_period_us = 1000;
        r.microstep_code = 0;
        r.stop_mode = sm::stop::time;
        r.stop_time_s = s.seconds;
        r.delay_s = s.seconds;
        const std::uint8_t next = cycle[(i + 1) % cycle.size()].state;
        r.default_next = next;
        r.timeout_next = next;
        out[s.state] = sm::encode_state_record(r);
    }
    return out;
}

void configure_instrument(VirtualSensor& sensor, const InstrumentOptions& options) {
    instrument_stop(sensor);
    auto live = live_state(sensor);
    {
        std::lock_guard lock(live->mutex);
        live->options = options;
        if (live->options.speed <= 0) live->options.speed = 1;
        live->instrument.reset();
        live->results_taken = 0;
    }
    protocol::ChemistryConfig chemistry;
    chemistry.chemistry = chemistry_code(options.chemistry);
    chemistry.sample_interval_ms = 1000;
    chemistry.deployment_state = 0;  // the cycle starts with its flush
    sensor.set_record(protocol::cmd::read_chemistry_config,
                      bytes_of(protocol::encode_chemistry_config(chemistry)));
    if (options.chemistry == InstrumentChemistry::nitrate)
        sensor.set_parameter_record(
            bytes_of(config::encode_nutrient_parameters(factory_nutrient_parameters())));
    else
        sensor.set_parameter_record(bytes_of(config::encode_ph_parameters(factory_ph_parameters())));
    auto store = state_machine_store(sensor);
    std::lock_guard lock(store->mutex);
    store->states = factory_state_machine(options.chemistry);
}

InstrumentOptions instrument_options(VirtualSensor& sensor) {
    auto live = live_state(sensor);
    std::lock_guard lock(live->mutex);
    return live->options;
}

bool instrument_drives(VirtualSensor& sensor) {
    const InstrumentChemistry c = instrument_options(sensor).chemistry;
    auto store = state_machine_store(sensor);
    std::lock_guard lock(store->mutex);
    return store->states == factory_state_machine(c);
}

bool instrument_start(VirtualSensor& sensor, std::string& error) {
    auto live = live_state(sensor);
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(live->mutex);
        if (live->options.card_dir.empty()) live->options.card_dir = make_card_folder();
        if (!live->instrument) {
            InstrumentSetup setup;
            setup.chemistry = live->options.chemistry;
            setup.card_dir = live->options.card_dir;
            setup.start_time = static_cast<std::uint32_t>(std::time(nullptr));
            setup.sensor_name = sensor.options().name;
            live->instrument = std::make_unique<Instrument>(setup);
            live->results_taken = 0;
        }
        if (!live->instrument->start(error)) return false;
        live->running = true;
        live->started = Clock::now();
        live->ticks = 0;
        generation = ++live->generation;
    }
    run_due(sensor, live, generation);
    return true;
}

void instrument_stop(VirtualSensor& sensor) {
    auto live = live_state(sensor);
    std::lock_guard lock(live->mutex);
    live->running = false;
    ++live->generation;
    if (live->instrument) live->instrument->stop();
}

InstrumentSnapshot instrument_snapshot(VirtualSensor& sensor) {
    auto live = live_state(sensor);
    std::lock_guard lock(live->mutex);
    InstrumentSnapshot s;
    s.card_dir = live->options.card_dir;
    if (!live->instrument) return s;
    s.running = live->running;
    s.state = live->instrument->state();
    s.clock = live->instrument->clock();
    s.last = live->instrument->last_record();
    s.ocean = live->instrument->ocean_now();
    s.file_name = live->instrument->file_name();
    s.results = live->instrument->results().size();
    return s;
}

std::vector<TruthPoint> instrument_truth(VirtualSensor& sensor) {
    auto live = live_state(sensor);
    std::lock_guard lock(live->mutex);
    return live->truth;
}

std::size_t instrument_mount_requests(VirtualSensor& sensor) {
    auto live = live_state(sensor);
    std::lock_guard lock(live->mutex);
    return live->mount_requests;
}

void note_mount_request(VirtualSensor& sensor) {
    auto live = live_state(sensor);
    std::lock_guard lock(live->mutex);
    ++live->mount_requests;
}

}  // namespace quelmar::virtual_sensor
