#include "virtual_sensor/diagnostics_handlers.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <deque>
#include <mutex>

#include "maintenance/diagnostics_log.h"
#include "maintenance/restarts_log.h"
#include "maintenance/tasks_table.h"
#include "protocol/commands.h"
#include "protocol/device_records.h"
#include "virtual_sensor/sensor_state.h"

namespace quelmar::virtual_sensor {

namespace cmd = protocol::cmd;
using maintenance::DiagnosticsLogEntry;
using maintenance::RestartRecord;
using maintenance::task_count;
using maintenance::TaskRecord;
using Clock = std::chrono::steady_clock;

namespace {

Reply status_only(std::uint8_t s) {
    return Reply{s, {}};
}

template <class R>
Reply record_reply(const R& r) {
    const auto b = common::encode_record(r);
    return Reply{0, {b.begin(), b.end()}};
}

namespace task {
constexpr std::uint8_t main = 1;
constexpr std::uint8_t usb = 2;
constexpr std::uint8_t state_machine = 3;
constexpr std::uint8_t adc = 7;
constexpr std::uint8_t platform = 12;
}  // namespace task

constexpr std::array<const char*, task_count> task_names = {
    "Idle",     "Main",  "USB",      "StateMachine", "Pump",    "Valves",
    "Optics",   "ADC",   "Logger",   "Processing",   "RS232",   "RS485",
    "Platform", "Clock", "Schedule", "Storage",      "Watchdog"};

// How often the sampling task leaves a debug line, in the sensor's time.
constexpr auto debug_period = std::chrono::seconds(5);

struct Diagnostics {
    std::mutex mutex;
    std::deque<DiagnosticsLogEntry> log;
    std::int32_t next_counter = 1;
    bool reading = false;
    std::int32_t read_from = 0;          // counter of the next entry a 307 gives
    std::deque<RestartRecord> restarts;  // newest first
    std::uint32_t restart_counter = 0;
    std::size_t restart_cursor = 0;
    std::array<TaskRecord, task_count> tasks{};
    // What the log has already told about the sensor's work.
    std::uint8_t last_mode = 0;
    bool last_running = false;
    std::uint8_t last_state = 255;
    Clock::time_point last_debug = Clock::now();
};

std::shared_ptr<Diagnostics> diagnostics(VirtualSensor& sensor) {
    return sensor.feature_state<Diagnostics>("diagnostics");
}

template <std::size_t N>
void put_text(std::array<std::uint8_t, N>& field, const std::string& text) {
    field.fill(0);
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field.begin());
}

// Called with the diagnostics' mutex held.
void add_entry(Diagnostics& d, std::uint8_t task_id, std::uint8_t severity,
               const std::string& function, std::int32_t line, const std::string& message) {
    const std::uint8_t filters = task_id < task_count ? d.tasks[task_id].filters : 0xFF;
    if (!(filters & severity))
        return;
    DiagnosticsLogEntry e;
    e.counter = d.next_counter++;
    put_text(e.function, function);
    e.line = line;
    e.task_id = task_id;
    e.severity = severity;
    put_text(e.message, message);
    d.log.push_back(e);
    if (d.log.size() > diagnostics_log_capacity)
        d.log.pop_front();
}

// `ago`: how long before now the restart happened.
void add_restart(Diagnostics& d, std::uint16_t cause, std::uint16_t decivolts, bool logged = true,
                 std::uint32_t ago = 0) {
    RestartRecord r;
    r.usb_connected = 1;
    r.reset_cause = cause;
    r.supply_decivolts = decivolts;
    r.counter = ++d.restart_counter;
    r.rtc_time = static_cast<std::uint32_t>(std::time(nullptr)) - ago;
    d.restarts.push_front(r);
    if (d.restarts.size() > restart_history_size)
        d.restarts.pop_back();
    if (logged)
        add_entry(d, task::main, maintenance::severity::info, "main", 88,
                  maintenance::restart_marker);
}

std::uint16_t supply_decivolts(VirtualSensor& sensor) {
    const auto bytes = sensor.record(cmd::read_status);
    protocol::SensorStatusRecord st;
    if (!common::decode_record(bytes, st))
        return 0;
    return static_cast<std::uint16_t>(std::clamp(st.supply_mv / 100, 0, 65535));
}

// Brings the log up to what the sensor has done since it was last asked: a restart after the
// bootloader handed over, state changes of the running machine, the sampler's debug lines.
void observe(VirtualSensor& sensor, Diagnostics& d) {
    const std::uint8_t mode = sensor.mode();
    if (mode == 2 && d.last_mode == 1)
        add_restart(d, 4, supply_decivolts(sensor));
    d.last_mode = mode;

    auto run = run_state(sensor);
    bool running;
    std::uint8_t state;
    {
        std::lock_guard lock(run->mutex);
        running = run->running;
        state = run->current_state;
    }
    if (running != d.last_running) {
        add_entry(d, task::state_machine, maintenance::severity::info, "sm_run", 412,
                  running ? "State machine started" : "State machine stopped");
    }
    if (running && state != d.last_state) {
        add_entry(d, task::state_machine, maintenance::severity::info, "sm_enter_state", 530,
                  "Entered state " + std::to_string(state));
    }
    d.last_running = running;
    d.last_state = state;

    const auto now = Clock::now();
    if (now - d.last_debug >= debug_period) {
        d.last_debug = now;
        add_entry(d, task::adc, maintenance::severity::debug, "adc_sample", 201,
                  "Sampled 8 channels");
    }
}

void seed(VirtualSensor& sensor, Diagnostics& d) {
    for (std::size_t n = 0; n < task_count; ++n) {
        TaskRecord& t = d.tasks[n];
        put_text(t.name, task_names[n]);
        t.stack_start = 0x20001000u + static_cast<std::uint32_t>(n) * 0x800u;
        t.stack_end = t.stack_start + 0x7FFu;
        t.stack_top = t.stack_end + 1 - (0x180u + static_cast<std::uint32_t>(n) * 0x40u);
        t.active = n == 0 || n <= 9 || n == 12 || n == 16;
        t.filters = maintenance::log_filter::error | maintenance::log_filter::info;
    }
    d.last_mode = sensor.mode();
    // The sensor left the factory some time ago: power-ups, a watchdog reset, a button press.
    const std::uint16_t volts = supply_decivolts(sensor);
    add_restart(d, 1, volts, false, 30 * 86400);
    add_restart(d, 8, volts, false, 7 * 86400 + 5 * 3600);
    add_restart(d, 4, volts, true, 3600);
    add_entry(d, task::main, maintenance::severity::info, "main", 112, "Firmware started");
    add_entry(d, task::usb, maintenance::severity::info, "usb_init", 57, "USB connected");
    add_entry(d, task::platform, maintenance::severity::error, "platform_poll", 318,
              "No reply from host platform");
}

Reply start_read(VirtualSensor& sensor, const link::SensorReport&) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    observe(sensor, *d);
    d->reading = true;
    d->read_from = d->log.empty() ? d->next_counter : d->log.front().counter;
    return status_only(0);
}

Reply next_entry(VirtualSensor& sensor, const link::SensorReport&) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    observe(sensor, *d);
    if (!d->reading)
        return status_only(diagnostics_refused_status);
    for (const auto& e : d->log) {
        if (e.counter < d->read_from)
            continue;
        d->read_from = e.counter + 1;
        return record_reply(e);
    }
    return status_only(diagnostics_refused_status);
}

Reply wipe(VirtualSensor& sensor, const link::SensorReport&) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    d->log.clear();
    d->read_from = d->next_counter;
    return status_only(0);
}

Reply restart_entry(VirtualSensor& sensor, const link::SensorReport& request) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    if (request.payload()[0] == 1)
        d->restart_cursor = 0;
    if (d->restart_cursor >= d->restarts.size())
        return status_only(diagnostics_refused_status);
    return record_reply(d->restarts[d->restart_cursor++]);
}

Reply task_details(VirtualSensor& sensor, const link::SensorReport& request) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    const std::uint8_t n = request.payload()[0];
    if (n >= task_count) {
        add_entry(*d, task::usb, maintenance::severity::error, "usb_task_details", 640,
                  "No task " + std::to_string(n));
        return status_only(diagnostics_refused_status);
    }
    return record_reply(d->tasks[n]);
}

Reply set_filters(VirtualSensor& sensor, const link::SensorReport& request) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    // The length byte comes from the host: never trust it past the report.
    const std::size_t length = std::min<std::size_t>(request.length(), link::payload_capacity);
    const auto r = common::decode_record<maintenance::TaskFilterRequest>(
        std::span<const std::uint8_t>(request.payload(), length));
    if (length < common::record_size<maintenance::TaskFilterRequest>()) {
        add_entry(*d, task::usb, maintenance::severity::error, "usb_set_filters", 671,
                  "Filter request too short");
        return status_only(diagnostics_refused_status);
    }
    for (std::size_t n = 0; n < task_count; ++n)
        d->tasks[n].filters = r.filters[n] & 0x07;
    add_entry(*d, task::usb, maintenance::severity::info, "usb_set_filters", 680,
              "Log filters changed");
    return status_only(0);
}

}  // namespace

void log_diagnostic(VirtualSensor& sensor, std::uint8_t task_id, std::uint8_t severity,
                    const std::string& function, std::int32_t line, const std::string& message) {
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    add_entry(*d, task_id, severity, function, line, message);
}

void record_restart(VirtualSensor& sensor, std::uint16_t cause) {
    const std::uint16_t volts = supply_decivolts(sensor);
    auto d = diagnostics(sensor);
    std::lock_guard lock(d->mutex);
    add_restart(*d, cause, volts);
}

void install_diagnostics_handlers(VirtualSensor& sensor) {
    {
        auto d = diagnostics(sensor);
        std::lock_guard lock(d->mutex);
        seed(sensor, *d);
    }
    sensor.set_handler(cmd::start_log_read, start_read);
    sensor.set_handler(cmd::read_log_entry, next_entry);
    sensor.set_handler(cmd::wipe_log, wipe);
    sensor.set_handler(cmd::read_restart_entry, restart_entry);
    sensor.set_handler(cmd::read_task, task_details);
    sensor.set_handler(cmd::write_log_filter, set_filters);
}

}  // namespace quelmar::virtual_sensor
