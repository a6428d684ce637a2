#pragma once
// The status monitor: while a sensor is connected it asks once a second for the sensor's
// status, its mode and latest readings, and its platform data; it keeps the readings history
// for the live views and reports what the status bar shows. It never shows anything itself:
// each cycle's outcome goes to a listener, on the monitor's thread, and a window hands it on
// to its own thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>

#include "protocol/readings.h"
#include "monitor/readings_history.h"
#include "common/stop_signal.h"
#include "link/sensor_link.h"
#include "protocol/device_records.h"

namespace quelmar::monitor {

using protocol::PlatformBytes;
using protocol::ReadingsBytes;

constexpr std::uint8_t sensor_mode_idle = 2;

// One cycle's outcome for the status bar. A reply that is neither a reading, a "no reading"
// (status 6) nor a failed exchange gives no report at all.
struct MonitorReport {
    bool comms_ok = false;
    protocol::SensorStatusRecord status{};  // the status snapshot of this cycle
    std::optional<std::uint8_t> mode;       // set when communication worked
    std::optional<std::string> file_name;  // read while operating or sleeping; unset if that failed
};

class StatusMonitor {
public:
    using Listener = std::function<void(const MonitorReport&)>;

    StatusMonitor() = default;
    ~StatusMonitor();
    StatusMonitor(const StatusMonitor&) = delete;
    StatusMonitor& operator=(const StatusMonitor&) = delete;

    // Clears the snapshots and the history and starts the cycle on `link`, which must outlive
    // the monitor's run. False when already running.
    bool start(link::SensorLink& link, Listener listener,
               std::chrono::milliseconds period = std::chrono::milliseconds(1000));
    // Tells the thread to leave and returns at once. The thread looks at the request between
    // exchanges, so it makes no further exchange after the one it may be in; closing the link
    // then ends that one too.
    void request_stop();
    // Tells the thread to leave and waits for it, at most one link time-out (the longest an
    // exchange can take), then empties the history. True when the thread has ended; otherwise
    // it is collected by the next start or by the destructor. Does nothing when not running.
    bool stop();
    bool running() const;

    // What the views read. Each returns a copy taken under the lock.
    protocol::SensorStatusRecord status_snapshot() const;
    PlatformBytes platform_snapshot() const;
    const ReadingsHistory& history() const { return history_; }
    // Empties the history (after a successful start of the state machine).
    void clear_history() { history_.clear(); }

    // One cycle, as the thread runs it; tests drive it directly.
    void run_cycle(link::SensorLink& link, const Listener& listener) {
        cycle(link, listener, nullptr);
    }

private:
    void loop(link::SensorLink* link, Listener listener, std::chrono::milliseconds period);
    // A cycle that ends early, without a report, once `stop` is requested.
    void cycle(link::SensorLink& link, const Listener& listener, const common::StopSignal* stop);
    void collect_thread();

    mutable std::mutex mutex_;  // guards the snapshots and the running mark
    protocol::SensorStatusRecord status_{};
    PlatformBytes platform_{};
    bool running_ = false;
    ReadingsHistory history_;
    common::StopSignal stop_;
    std::binary_semaphore finished_{0};  // released by the thread as it leaves
    std::chrono::milliseconds stop_wait_{0};
    std::thread thread_;
    std::mutex control_mutex_;  // start and stop
};

}  // namespace quelmar::monitor
