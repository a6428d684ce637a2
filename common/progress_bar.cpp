#include "common/progress_bar.h"

#include <algorithm>
#include <cstdio>

namespace quelmar::common {

std::string progress_bar_text(std::uint64_t done, std::uint64_t total, std::size_t width) {
    if (done > total)
        done = total;
    // Whole percents, never 100% before the end.
    const unsigned percent =
        total == 0 ? 0
                   : static_cast<unsigned>(static_cast<long double>(done) * 100 / total);
    char tail[64];
    std::snprintf(tail, sizeof tail, " %3u%%  %.1f/%.1f MB", percent,
                  static_cast<double>(done) / 1e6, static_cast<double>(total) / 1e6);
    std::string sizes = tail;
    char pct[8];
    std::snprintf(pct, sizeof pct, "%3u%%", percent);
    // The bar needs its brackets and at least ten cells to say anything.
    constexpr std::size_t min_cells = 10;
    if (width < sizes.size() + 2 + min_cells) {
        sizes = std::string(" ") + pct;
        if (width < sizes.size() + 2 + min_cells)
            return pct;
    }
    const std::size_t cells = width - sizes.size() - 2;
    const std::size_t filled =
        total == 0 ? 0
                   : static_cast<std::size_t>(static_cast<long double>(done) * cells / total);
    return "[" + std::string(filled, '#') + std::string(cells - filled, ' ') + "]" + sizes;
}

ProgressBar::ProgressBar(std::uint64_t total, std::size_t width, Writer write, Clock clock,
                         std::chrono::milliseconds min_interval)
    : total_(total),
      width_(width),
      write_(std::move(write)),
      clock_(std::move(clock)),
      min_interval_(min_interval) {}

std::chrono::steady_clock::time_point ProgressBar::now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void ProgressBar::update(std::uint64_t done) {
    if (finished_)
        return;
    done_ = std::min(done, total_);
    const auto t = now();
    if (drawn_ && t - last_draw_ < min_interval_)
        return;
    std::string text = progress_bar_text(done_, total_, width_);
    if (drawn_ && text == shown_)
        return;
    write_("\r" + text);
    shown_ = std::move(text);
    last_draw_ = t;
    drawn_ = true;
}

void ProgressBar::finish() {
    if (finished_)
        return;
    finished_ = true;
    std::string text = progress_bar_text(done_, total_, width_);
    write_("\r" + text + "\n");
    shown_ = std::move(text);
}

std::uint64_t SuccessiveFilesProgress::add(std::uint64_t done_in_file, std::uint64_t file_total) {
    // The pass reports each file's end; after it, or when the count goes back or the size
    // differs, the report is of the next file.
    const bool next_file = done_in_file < last_done_ || file_total != last_total_ ||
                           (last_total_ != 0 && last_done_ >= last_total_);
    if (next_file)
        finished_ += last_total_;
    last_done_ = done_in_file;
    last_total_ = file_total;
    return finished_ + done_in_file;
}

}  // namespace quelmar::common
