#include "monitor/status_monitor.h"

#include "protocol/device_commands.h"

namespace quelmar::monitor {

StatusMonitor::~StatusMonitor() {
    stop();
    // A thread that outlived the bounded wait still uses this object: it must end first.
    std::lock_guard control(control_mutex_);
    collect_thread();
}

// Joins a thread that has been told to stop, however long it takes.
void StatusMonitor::collect_thread() {
    if (!thread_.joinable()) return;
    finished_.acquire();
    thread_.join();
    history_.reset();
}

bool StatusMonitor::start(link::SensorLink& link, Listener listener,
                          std::chrono::milliseconds period) {
    std::lock_guard control(control_mutex_);
    if (thread_.joinable()) {
        if (!stop_.stop_requested()) return false;
        collect_thread();  // one that did not end within the bounded wait of stop()
    }
    {
        std::lock_guard lock(mutex_);
        status_ = {};
        platform_ = {};
        running_ = true;
    }
    history_.reset();
    stop_.reset();
    while (finished_.try_acquire()) {
    }
    stop_wait_ = std::chrono::milliseconds(link::sensor_link_timeout(link));
    thread_ = std::thread([this, l = &link, f = std::move(listener), period]() mutable {
        loop(l, std::move(f), period);
        finished_.release();
    });
    return true;
}

void StatusMonitor::request_stop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    stop_.request_stop();
}

bool StatusMonitor::stop() {
    std::lock_guard control(control_mutex_);
    if (!thread_.joinable()) return true;
    request_stop();
    if (!finished_.try_acquire_for(stop_wait_)) return false;
    thread_.join();
    history_.reset();
    return true;
}

bool StatusMonitor::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

protocol::SensorStatusRecord StatusMonitor::status_snapshot() const {
    std::lock_guard lock(mutex_);
    return status_;
}

PlatformBytes StatusMonitor::platform_snapshot() const {
    std::lock_guard lock(mutex_);
    return platform_;
}

void StatusMonitor::loop(link::SensorLink* link, Listener listener,
                         std::chrono::milliseconds period) {
    do {
        cycle(*link, listener, &stop_);
    } while (!stop_.wait_for_stop(period));
}

void StatusMonitor::cycle(link::SensorLink& link, const Listener& listener,
                          const common::StopSignal* stop) {
    // Every exchange can take a whole link time-out when the sensor does not answer; asked to
    // stop, the cycle leaves before the next one rather than at its end.
    const auto stopping = [stop] { return stop && stop->stop_requested(); };
    protocol::SensorStatusRecord status{};
    if (protocol::read_status(link, status) != protocol::status::ok) status = {};
    {
        std::lock_guard lock(mutex_);
        status_ = status;
    }
    if (stopping()) return;

    std::uint8_t mode = 0;
    ReadingsBytes entry{};
    const protocol::SensorStatus s = protocol::read_readings(link, mode, entry);
    std::optional<MonitorReport> report;
    if (s == protocol::status::exchange_failed) {
        report = MonitorReport{};
    } else if (s == protocol::status::ok || s == protocol::status::voltage_too_low) {
        report = MonitorReport{true, status, mode, std::nullopt};
        // The file name is read here rather than on the window's thread, so that the user
        // interface never waits on the sensor for the status bar.
        if ((mode == 0 || mode == 1) && !stopping()) {
            std::string name;
            if (protocol::read_output_file_name(link, name) == protocol::status::ok)
                report->file_name = name;
        }
    }

    if (stopping()) return;
    PlatformBytes platform{};
    if (protocol::read_platform_data(link, platform) != protocol::status::ok) platform = {};
    {
        std::lock_guard lock(mutex_);
        platform_ = platform;
    }

    if (s == protocol::status::ok) history_.offer(entry);
    if (stopping()) return;
    if (report && listener) listener(*report);
}

}  // namespace quelmar::monitor
