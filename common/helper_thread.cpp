#include "common/helper_thread.h"

#include <chrono>

#include "common/spin.h"

namespace quelmar::common {

namespace {
// A job is asked for again after the owner has dealt with the previous one's results, which
// takes a few milliseconds in the data passes; spinning longer would only burn the core.
constexpr auto helper_spin = std::chrono::microseconds(500);
constexpr auto owner_spin = std::chrono::microseconds(2000);
}  // namespace

HelperThread::HelperThread() : thread_([this] { loop(); }) {}

HelperThread::~HelperThread() {
    wait();  // a job still running may use what its owner is about to destroy
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void HelperThread::start(std::function<void()> job) {
    job_ = std::move(job);
    posted_.fetch_add(1, std::memory_order_release);
    // Taking the lock orders the post before a helper that is about to sleep tests for it.
    { std::lock_guard lock(mutex_); }
    wake_.notify_one();
}

void HelperThread::wait() {
    const std::uint64_t target = posted_.load(std::memory_order_relaxed);
    auto ended = [&] { return finished_.load(std::memory_order_acquire) == target; };
    if (spin_until(ended, owner_spin))
        return;
    std::unique_lock lock(mutex_);
    done_.wait(lock, ended);
}

void HelperThread::loop() {
    std::uint64_t seen = 0;
    for (;;) {
        auto posted = [&] { return posted_.load(std::memory_order_acquire) != seen; };
        if (!spin_until(posted, helper_spin)) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return posted() || quit_; });
            if (!posted())
                return;
        }
        seen = posted_.load(std::memory_order_acquire);
        job_();
        finished_.store(seen, std::memory_order_release);
        { std::lock_guard lock(mutex_); }
        done_.notify_all();
    }
}

}  // namespace quelmar::common
