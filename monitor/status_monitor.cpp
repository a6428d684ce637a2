#include "monitor/status_monitor.h"

#include "protocol/device_commands.h"

namespace quelmar::monitor {

StatusMonitor::~StatusMonitor() { stop(); }

bool StatusMonitor::start(link::SensorLink& link, Listener listener,
                          std::chrono::milliseconds period) {
    std::lock_guard control(control_mutex_);
    if (thread_.joinable()) return false;
    {
        std::lock_guard lock(mutex_);
        status_ = {};
        platform_ = {};
        running_ = true;
    }
    history_.reset();
    stop_.reset();
    thread_ = std::thread([this, l = &link, f = std::move(listener), period]() mutable {
        loop(l, std::move(f), period);
    });
    return true;
}

void StatusMonitor::stop() {
    std::lock_guard control(control_mutex_);
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    stop_.request_stop();
    thread_.join();
    history_.reset();
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
        run_cycle(*link, listener);
    } while (!stop_.wait_for_stop(period));
}

void StatusMonitor::run_cycle(link::SensorLink& link, const Listener& listener) {
    protocol::SensorStatusRecord status{};
    if (protocol::read_status(link, status) != protocol::status::ok) status = {};
    {
        std::lock_guard lock(mutex_);
        status_ = status;
    }

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
        if (mode == 0 || mode == 1) {
            std::string name;
            if (protocol::read_output_file_name(link, name) == protocol::status::ok)
                report->file_name = name;
        }
    }

    PlatformBytes platform{};
    if (protocol::read_platform_data(link, platform) != protocol::status::ok) platform = {};
    {
        std::lock_guard lock(mutex_);
        platform_ = platform;
    }

    if (s == protocol::status::ok) history_.offer(entry);
    if (report && listener) listener(*report);
}

}  // namespace quelmar::monitor
