#pragma once
// A second thread that runs one job at a time for its owner: the owner starts a job, does its
// own share of the work, then waits for the job. Both hand-overs spin a short while before
// sleeping, since the job usually ends at about the time its owner's share does.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace quelmar::common {

class HelperThread {
  public:
    HelperThread();
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // Runs `job` on the helper; the previous job must have been waited for.
    void start(std::function<void()> job);
    // Returns once the job started last has ended.
    void wait();
    // Whether the job started last has already ended.
    bool idle() const {
        return finished_.load(std::memory_order_acquire) ==
               posted_.load(std::memory_order_relaxed);
    }

  private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::function<void()> job_;
    std::atomic<std::uint64_t> posted_{0};
    std::atomic<std::uint64_t> finished_{0};
    bool quit_ = false;  // under mutex_
    std::thread thread_;
};

}  // namespace quelmar::common
