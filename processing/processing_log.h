#pragma once
// The processing log: the lines an engine writes while it works through a file. A data pass
// of a month-long deployment writes hundreds of thousands of them from a worker thread while
// the window shows them, so the log is appended under a lock and read by index.
//
// What is kept in memory is bounded whatever the file: a garbage file that changes state on
// every line would otherwise hold millions of lines. Past its capacity the log keeps one last
// line that says so and counts the rest; a sink, when set, still receives every line (the
// command line writes the whole log to disk through it).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quelmar::processing {

class ProcessingLog {
  public:
    static constexpr std::size_t default_capacity = 100000;
    explicit ProcessingLog(std::size_t capacity = default_capacity) : capacity_(capacity) {}

    // Formatted into at most 255 characters; a trailing line feed is not kept.
    void add(std::string line);
    // A line kept even when the log is full: what the window says about the whole pass.
    void add_closing(std::string line);
    // Every line added from now on, kept or not, in order; called under the log's lock.
    void set_sink(std::function<void(const std::string&)> sink);
    void clear();  // the kept lines and the count of dropped ones; the sink stays
    std::size_t size() const;  // kept lines, with the closing line once lines are dropped
    std::string line(std::size_t index) const;
    // Lines [first, first + count), for a view catching up.
    std::vector<std::string> lines(std::size_t first, std::size_t count) const;
    std::vector<std::string> all() const;
    std::uint64_t dropped() const;  // lines added past the capacity

  private:
    mutable std::mutex mutex_;
    std::size_t capacity_;
    std::vector<std::string> lines_;
    std::uint64_t dropped_ = 0;
    std::function<void(const std::string&)> sink_;
};

}  // namespace quelmar::processing
