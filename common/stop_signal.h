#pragma once
// The stop protocol every background worker shares: a stop flag plus a binary semaphore the
// worker does its periodic wait on. The owner sets the flag and releases the semaphore, so a
// worker in the middle of its wait wakes at once instead of sleeping out its period.

#include <atomic>
#include <chrono>
#include <semaphore>

namespace quelmar::common {

class StopSignal {
public:
    // Waits up to `period` for a stop request; true when the worker must stop.
    template <class Rep, class Period>
    bool wait_for_stop(std::chrono::duration<Rep, Period> period) {
        if (stop_.load(std::memory_order_acquire)) return true;
        (void)signal_.try_acquire_for(period);
        return stop_.load(std::memory_order_acquire);
    }
    bool stop_requested() const { return stop_.load(std::memory_order_acquire); }
    void request_stop() {
        // Released once only: a binary semaphore must never be released past its maximum.
        if (!stop_.exchange(true, std::memory_order_acq_rel)) signal_.release();
    }
    // Re-arms the signal before a worker is started again.
    void reset() {
        stop_.store(false, std::memory_order_release);
        while (signal_.try_acquire()) {
        }
    }

private:
    std::atomic<bool> stop_{false};
    std::binary_semaphore signal_{0};
};

}  // namespace quelmar::common
