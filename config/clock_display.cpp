#include "config/clock_display.h"

#include <chrono>

#include "config/clock_record.h"

namespace quelmar::config {

std::string clock_display_text(link::SensorLink& link) {
    SensorClock clock;
    if (read_sensor_clock(link, clock) != protocol::status::ok)
        return "ERROR";
    return clock_text(clock);
}

ClockDisplayWorker::ClockDisplayWorker(link::SensorLink& link, Show show)
    : link_(link), show_(std::move(show)), thread_([this] { run(); }) {}

ClockDisplayWorker::~ClockDisplayWorker() {
    stop();
}

void ClockDisplayWorker::wake() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    wake_cv_.notify_one();
}

void ClockDisplayWorker::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        wake_cv_.notify_one();
    }
    // An exchange in progress ends within the link's time-out; the worker must not outlive
    // the callback's owner.
    if (thread_.joinable())
        thread_.join();
}

void ClockDisplayWorker::run() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
        }
        show_(clock_display_text(link_));
        std::unique_lock lock(mutex_);
        wake_cv_.wait_for(lock, std::chrono::milliseconds(1000),
                          [this] { return woken_ || stop_; });
        woken_ = false;
        if (stop_)
            return;
    }
}

}  // namespace quelmar::config
