#include "virtual_sensor/run_handlers.h"

#include <array>
#include <cmath>
#include <cstring>
#include <ctime>

#include "protocol/readings.h"
#include "common/bytes.h"
#include "config/thermistor_config.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "virtual_sensor/optics_handlers.h"
#include "virtual_sensor/sensor_state.h"
#include "virtual_sensor/rs232_platform.h"
#include "virtual_sensor/instrument_results.h"
#include "virtual_sensor/instrument_sensor.h"

namespace quelmar::virtual_sensor {

namespace cmd = protocol::cmd;
using Clock = std::chrono::steady_clock;

namespace {

Reply status_only(std::uint8_t s) { return Reply{s, {}}; }

// What the run keeps besides the shared run state: when the sensor was made (its reading
// counter counts seconds from then), the pump's Hall counts and the thermistors.
struct RunExtras {
    std::mutex mutex;
    Clock::time_point made = Clock::now();
    std::uint16_t hall_i = 0;
    std::uint16_t hall_w = 0;
    std::uint32_t last_counter = 0;
    std::array<config::ThermistorConfig, config::thermistor_count> thermistors{};
};

std::shared_ptr<RunExtras> run_extras(VirtualSensor& sensor) {
    return sensor.feature_state<RunExtras>("run_extras");
}

// Brings the running machine up to now and returns a copy of what the readings report.
struct RunView {
    bool running;
    std::uint8_t mode;
    std::uint8_t state;
};
RunView current_run(VirtualSensor& sensor) {
    auto run = run_state(sensor);
    auto store = state_machine_store(sensor);
    // The instrument steps its own machine on the sensor's clock.
    const InstrumentSnapshot instrument = instrument_snapshot(sensor);
    std::lock_guard lock(run->mutex);
    if (run->running && instrument.running) return {true, run->mode, instrument.state};
    if (run->running && run->step) run->step(*run, *store, Clock::now());
    return {run->running, run->mode, run->current_state};
}

std::uint16_t volts_to_count(double v);

// What the readings report while the instrument runs: its latest sample and the glider's data.
bool instrument_reading(VirtualSensor& sensor, protocol::ReadingsEntry& e) {
    const InstrumentSnapshot s = instrument_snapshot(sensor);
    if (!s.running) return false;
    for (std::size_t c = 0; c < 8; ++c) e.channels[c] = volts_to_count(s.last.channels[c]);
    e.platform_valid = 1;
    e.platform_salinity = static_cast<float>(s.ocean.salinity);
    e.platform_temperature = static_cast<float>(s.ocean.temperature);
    e.platform_oxygen = static_cast<float>(s.ocean.oxygen);
    e.platform_depth = static_cast<float>(s.ocean.depth);
    e.sensor_time = s.clock;
    e.platform_time = s.clock;
    e.hall_i = static_cast<std::uint16_t>(s.last.hall_inject);
    e.hall_w = static_cast<std::uint16_t>(s.last.hall_withdraw);
    return true;
}

std::uint16_t volts_to_count(double v) {
    v = std::clamp(v, 0.0, 4.9999);
    return static_cast<std::uint16_t>(v * 65536.0 / 5.0);
}

// Light on the photodiodes: a steady baseline while idle; while running, each state sets its
// own level (as its valves bring sample, standard or reagent into the cell) and the
// absorbance channels drift slowly, so the traces visibly follow the machine.
std::array<std::uint16_t, 8> channel_counts(const RunView& run, double t) {
    static constexpr double base[8] = {2.10, 1.80, 1.50, 0.20, 3.20, 3.00, 2.80, 2.15};
    std::array<std::uint16_t, 8> out{};
    for (int c = 0; c < 8; ++c) {
        double v = base[c] + 0.01 * std::sin(t * 0.7 + c);
        if (run.running && c < 3) {
            const double level = 0.15 * ((run.state % 5) + 1) * (c + 1) / 3.0;
            v -= level + 0.05 * std::sin(t / 20.0 + c);
        } else if (run.running && c >= 4 && c < 7) {
            v += 0.02 * std::sin(t / 5.0 + c);
        }
        out[c] = volts_to_count(v);
    }
    return out;
}

protocol::PlatformData platform_now(double t) {
    protocol::PlatformData p;
    p.salinity = static_cast<float>(35.10 + 0.05 * std::sin(t / 60.0));
    p.temperature = static_cast<float>(12.30 + 0.10 * std::sin(t / 90.0));
    p.oxygen = static_cast<float>(5.60 + 0.02 * std::sin(t / 45.0));
    p.depth = static_cast<float>(10.0 + 2.0 * std::sin(t / 120.0));
    p.direction = std::cos(t / 120.0) >= 0 ? 1 : 0;
    p.p1 = 1;
    p.p2 = 2;
    p.p3 = 3;
    return p;
}

Reply read_readings(VirtualSensor& sensor, const link::SensorReport&) {
    const RunView run = current_run(sensor);
    auto extras = run_extras(sensor);
    const Clock::time_point now = Clock::now();
    protocol::ReadingsEntry e;
    {
        std::lock_guard lock(extras->mutex);
        const double t = std::chrono::duration<double>(now - extras->made).count();
        // One new reading a second; asking again within the second repeats it.
        e.counter = static_cast<std::uint32_t>(t) + 1;
        if (e.counter != extras->last_counter && run.running) {
            extras->hall_i = static_cast<std::uint16_t>(extras->hall_i + 7);
            extras->hall_w = static_cast<std::uint16_t>(extras->hall_w + 3);
        }
        extras->last_counter = e.counter;
        e.hall_i = extras->hall_i;
        e.hall_w = extras->hall_w;
        const double reading_time = e.counter;  // values hold still within one reading
        e.channels = channel_counts(run, reading_time);
        const protocol::PlatformData p =
            fed_platform_data(sensor).value_or(platform_now(reading_time));
        e.platform_valid = 1;
        e.platform_salinity = p.salinity;
        e.platform_temperature = p.temperature;
        e.platform_oxygen = p.oxygen;
        e.platform_depth = p.depth;
    }
    const auto wall = static_cast<std::uint32_t>(std::time(nullptr));
    e.sensor_time = wall;
    e.platform_time = wall;
    if (run.running) instrument_reading(sensor, e);
    e.state = run.state;
    e.temperature_mdegc = sensor.options().temperature_mdegc;
    e.supply_mv = sensor.options().supply_mv;
    bench_test_readings(sensor, e);
    const auto bytes = protocol::encode_readings_entry(e);
    Reply r{protocol::status::ok, std::vector<std::uint8_t>(1 + bytes.size())};
    r.payload[0] = run.mode;
    std::copy(bytes.begin(), bytes.end(), r.payload.begin() + 1);
    return r;
}

Reply read_platform(VirtualSensor& sensor, const link::SensorReport&) {
    auto extras = run_extras(sensor);
    double t;
    {
        std::lock_guard lock(extras->mutex);
        t = std::floor(std::chrono::duration<double>(Clock::now() - extras->made).count()) + 1;
    }
    protocol::PlatformData p = platform_now(t);
    const InstrumentSnapshot s = instrument_snapshot(sensor);
    if (!s.file_name.empty()) {
        // The glider the instrument rides on.
        p.salinity = static_cast<float>(s.ocean.salinity);
        p.temperature = static_cast<float>(s.ocean.temperature);
        p.oxygen = static_cast<float>(s.ocean.oxygen);
        p.depth = static_cast<float>(s.ocean.depth);
        p.direction = s.ocean.direction;
    }
    // A host on the RS232 side, when there is one, says where the sensor is.
    const auto b = protocol::encode_platform_data(fed_platform_data(sensor).value_or(p));
    return Reply{protocol::status::ok, {b.begin(), b.end()}};
}

Reply read_file_name(VirtualSensor& sensor, const link::SensorReport&) {
    Reply r{protocol::status::ok, std::vector<std::uint8_t>(protocol::output_file_name_size, 0)};
    const std::string name = instrument_snapshot(sensor).file_name;
    const std::string shown = name.empty() ? std::string(run_output_file) : name;
    std::memcpy(r.payload.data(), shown.data(),
                std::min(shown.size(), protocol::output_file_name_size - 1));
    return r;
}

Reply start_run(VirtualSensor& sensor, const link::SensorReport& request) {
    if (request.length() < 1) return status_only(run_refused_status);
    const std::uint8_t start = request.payload()[0];
    auto run = run_state(sensor);
    auto store = state_machine_store(sensor);
    {
        std::lock_guard store_lock(store->mutex);
        if (store->states.empty() || start >= store->states.size())
            return status_only(run_refused_status);
    }
    // The instrument samples, writes its card and processes from here on; its timer takes the
    // run's lock after its own, so the run's lock is not held while it starts.
    const bool instrument = instrument_drives(sensor);
    if (instrument) {
        std::string error;
        if (!instrument_start(sensor, error)) return status_only(run_refused_status);
    }
    std::lock_guard lock(run->mutex);
    run->running = true;
    run->current_state = start;
    run->state_entered = Clock::now();
    run->mode = 0;  // operating until the machine's first step says otherwise
    if (!instrument && run->step) run->step(*run, *store, run->state_entered);
    return status_only(protocol::status::ok);
}

Reply stop_run(VirtualSensor& sensor, const link::SensorReport&) {
    instrument_stop(sensor);
    auto run = run_state(sensor);
    std::lock_guard lock(run->mutex);
    run->running = false;
    run->current_state = protocol::state_none;
    run->mode = 2;
    return status_only(protocol::status::ok);
}

Reply read_thermistor(VirtualSensor& sensor, const link::SensorReport& request) {
    const std::uint8_t index = request.length() >= 1 ? request.payload()[0] : 0xFF;
    if (index >= config::thermistor_count) return status_only(run_refused_status);
    auto extras = run_extras(sensor);
    std::lock_guard lock(extras->mutex);
    const auto b = config::encode_thermistor_config(extras->thermistors[index]);
    return Reply{protocol::status::ok, {b.begin(), b.end()}};
}

Reply write_thermistor(VirtualSensor& sensor, const link::SensorReport& request) {
    if (request.length() < 1 + config::thermistor_config_size) return status_only(run_refused_status);
    const std::uint8_t index = request.payload()[0];
    if (index >= config::thermistor_count) return status_only(run_refused_status);
    std::span<const std::uint8_t, config::thermistor_config_size> bytes(request.payload() + 1,
                                                                         config::thermistor_config_size);
    auto extras = run_extras(sensor);
    std::lock_guard lock(extras->mutex);
    extras->thermistors[index] = config::decode_thermistor_config(bytes);
    return status_only(protocol::status::ok);
}

}  // namespace

void install_run_handlers(VirtualSensor& sensor) {
    // The results the run produces are read through 419/420/421.
    install_result_handlers(sensor);
    // Factory thermistors: wired to the temperature channel and two monitor channels, 10 °C
    // per volt, so the temperature channel's 2.15 V reads as about 21.5 °C.
    {
        auto extras = run_extras(sensor);
        std::lock_guard lock(extras->mutex);
        const std::uint8_t inputs[config::thermistor_count] = {7, 4, 5};
        for (std::uint8_t i = 0; i < config::thermistor_count; ++i) {
            extras->thermistors[i].input_channel = inputs[i];
            extras->thermistors[i].c1 = 10.0f;
            extras->thermistors[i].c0 = i == 0 ? 0.0f : -10.0f;
        }
    }
    // A generic sensor with a deployment start state, so a loaded machine can be started.
    protocol::ChemistryConfig chemistry;
    chemistry.chemistry = protocol::chemistry::generic;
    chemistry.sample_interval_ms = 1000;
    chemistry.deployment_state = 0;
    const auto c = protocol::encode_chemistry_config(chemistry);
    sensor.set_record(cmd::read_chemistry_config, {c.begin(), c.end()});

    sensor.set_handler(cmd::read_readings, read_readings);
    sensor.set_handler(cmd::read_platform_data, read_platform);
    sensor.set_handler(cmd::read_output_file_name, read_file_name);
    sensor.set_handler(cmd::start_state_machine, start_run);
    sensor.set_handler(cmd::stop_state_machine, stop_run);
    sensor.set_handler(cmd::read_thermistor, read_thermistor);
    sensor.set_handler(cmd::write_thermistor, write_thermistor);
    sensor.set_handler(cmd::mount_as_drive, [](VirtualSensor& s, const link::SensorReport&) {
        note_mount_request(s);
        return status_only(0);
    });
}

}  // namespace quelmar::virtual_sensor
