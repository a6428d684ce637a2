#pragma once
// A progress bar drawn on one terminal line, for long command-line runs:
//   "[##############                ]  45%  123.4/274.2 MB"
// It is redrawn in place ("\r") only when what it shows changes and at most every
// `min_interval`, so that a fast pass spends nothing on it; finish() ends the line.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace quelmar::common {

// The bar's text for `done` of `total` bytes in `width` characters in all (bar, percentage
// and sizes; at least the percentage is always shown). Done beyond total counts as total; a
// total of 0 shows an empty bar at 0%.
std::string progress_bar_text(std::uint64_t done, std::uint64_t total, std::size_t width);

class ProgressBar {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using Writer = std::function<void(const std::string&)>;

    // Draws through `write` (the text with its "\r" or "\n"); the clock is the steady clock
    // unless one is given.
    ProgressBar(std::uint64_t total, std::size_t width, Writer write, Clock clock = {},
                std::chrono::milliseconds min_interval = std::chrono::milliseconds(100));

    // Bytes done so far across every input.
    void update(std::uint64_t done);
    // Draws the last state and ends the line; later calls do nothing.
    void finish();

    std::uint64_t total() const { return total_; }

  private:
    std::chrono::steady_clock::time_point now() const;
    std::uint64_t total_;
    std::size_t width_;
    Writer write_;
    Clock clock_;
    std::chrono::milliseconds min_interval_;
    std::uint64_t done_ = 0;
    std::string shown_;
    std::chrono::steady_clock::time_point last_draw_{};
    bool drawn_ = false;
    bool finished_ = false;
};

// Progress of several files read one after another, each reported from 0 to its own size
// and once more at its end: the bytes done across all of them.
class SuccessiveFilesProgress {
  public:
    std::uint64_t add(std::uint64_t done_in_file, std::uint64_t file_total);

  private:
    std::uint64_t finished_ = 0;  // bytes of the files already passed
    std::uint64_t last_done_ = 0;
    std::uint64_t last_total_ = 0;
};

}  // namespace quelmar::common
