#pragma once
// The one open connection to a sensor. Every thread that talks to the sensor goes through
// sensor_exchange, which serialises them on the link's lock; a worker thread owned by the link
// is the only thread that touches the device.

#include <atomic>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "link/device_backend.h"
#include "link/sensor_report.h"

namespace quelmar::link {

// The exchange lock: held by one exchange from start to end, taken with a time-out. Built on a
// mutex and a condition variable rather than std::timed_mutex, whose timed wait the thread
// sanitizer cannot follow.
class ExchangeLock {
public:
    template <class Rep, class Period>
    bool try_lock_for(std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock lock(mutex_);
        if (!released_.wait_for(lock, timeout, [this] { return !held_; })) return false;
        held_ = true;
        return true;
    }
    void lock() {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return !held_; });
        held_ = true;
    }
    void unlock() {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

enum class LinkResult : int {
    ok = 0,         // the caller's buffer holds the whole reply
    failed = 1,     // lock not obtained in time, a reply with another sequence number, or open failed
    timed_out = 5,  // no reply within the time-out
    not_open = 15,  // the link is not open
    in_use = 16,    // open only: another program has the device open
};

class SensorLink {
public:
    SensorLink() = default;
    ~SensorLink();
    SensorLink(const SensorLink&) = delete;
    SensorLink& operator=(const SensorLink&) = delete;

private:
    friend LinkResult sensor_link_open(SensorLink&, const std::string&, std::uint32_t);
    friend void sensor_link_close(SensorLink&);
    friend LinkResult sensor_exchange(SensorLink&, SensorReport&);
    friend bool sensor_link_is_open(const SensorLink&);
    friend std::string sensor_link_path(const SensorLink&);
    friend std::uint8_t sensor_link_report_id(const SensorLink&);
    friend std::uint32_t sensor_link_timeout(const SensorLink&);

    enum class ReplyState { none, matched, mismatched };
    void worker_loop();
    void serve(const SensorReport& request);

    ExchangeLock exchange_lock_;
    // How long the last answered exchange took; read and written only by the exchange that
    // holds exchange_lock_.
    std::chrono::microseconds last_round_trip_{0};
    std::atomic<bool> open_{false};
    // Mirrors of "a request is pending" and "a reply has come" (always written under
    // state_mutex_), read without the lock while a thread spins briefly before it sleeps.
    std::atomic<bool> request_ready_{false};
    std::atomic<bool> reply_ready_{false};

    mutable std::mutex state_mutex_;  // guards everything below
    std::condition_variable request_signal_;
    std::condition_variable reply_signal_;
    DeviceBackend backend_;
    bool backend_open_ = false;
    std::thread worker_;
    bool stop_ = false;
    std::optional<SensorReport> pending_;
    int awaiting_sequence_ = -1;  // sequence of the request an exchange is waiting for
    ReplyState reply_state_ = ReplyState::none;
    SensorReport reply_;
    std::bitset<256> abandoned_;  // sequences whose exchange gave up: late replies are stale
    bool flush_requested_ = false;
    std::uint8_t sequence_ = 1;
    std::uint8_t report_id_ = 0;  // kept across opens when a descriptor cannot be read
    std::uint32_t timeout_ms_ = 0;
    std::string path_;
};

// Opens `path` with `timeout_ms` for both waits of every exchange. ok, in_use when another
// program holds the device, or failed; a link that is already open is not reopened (failed).
LinkResult sensor_link_open(SensorLink& link, const std::string& path, std::uint32_t timeout_ms);
// Ends the worker and releases the device; does nothing when the link is closed. An exchange
// blocked in another thread ends with timed_out.
void sensor_link_close(SensorLink& link);
// One request/reply exchange. On any result but ok the caller's buffer is left unchanged.
LinkResult sensor_exchange(SensorLink& link, SensorReport& report);

bool sensor_link_is_open(const SensorLink& link);
std::string sensor_link_path(const SensorLink& link);
std::uint8_t sensor_link_report_id(const SensorLink& link);
std::uint32_t sensor_link_timeout(const SensorLink& link);

}  // namespace quelmar::link
