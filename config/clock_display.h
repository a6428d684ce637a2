#pragma once
// The clock dialog's display worker: once a second it reads the sensor's clock and hands the
// text to its owner ("ERROR" when the read fails). The owner can wake it early, after setting
// the clock, so the new time shows at once. It never touches a window: the owner's callback
// carries the text to the window's own thread.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/sensor_link.h"

namespace quelmar::config {

class ClockDisplayWorker {
  public:
    using Show = std::function<void(const std::string& text)>;
    ClockDisplayWorker(link::SensorLink& link, Show show);
    ~ClockDisplayWorker();  // stops and joins
    ClockDisplayWorker(const ClockDisplayWorker&) = delete;
    ClockDisplayWorker& operator=(const ClockDisplayWorker&) = delete;

    void wake();  // read again now instead of at the end of the second
    void stop();

  private:
    void run();

    link::SensorLink& link_;
    Show show_;
    std::mutex mutex_;
    std::condition_variable wake_cv_;
    bool woken_ = false;  // at most one pending wake-up, as a binary semaphore holds
    bool stop_ = false;
    std::thread thread_;
};

// The display text of one clock read: the sensor's clock, or "ERROR".
std::string clock_display_text(link::SensorLink& link);

}  // namespace quelmar::config
