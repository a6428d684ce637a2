#pragma once
// The processing log: the lines an engine writes while it works through a file. A data pass
// of a month-long deployment writes hundreds of thousands of them from a worker thread while
// the window shows them, so the log is appended under a lock and read by index.

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quelmar::processing {

class ProcessingLog {
  public:
    // Formatted into at most 255 characters; a trailing line feed is not kept.
    void add(std::string line);
    void clear();
    std::size_t size() const;
    std::string line(std::size_t index) const;
    // Lines [first, first + count), for a view catching up.
    std::vector<std::string> lines(std::size_t first, std::size_t count) const;
    std::vector<std::string> all() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace quelmar::processing
