#include "processing/processing_log.h"

#include <algorithm>

#include "common/text.h"

namespace quelmar::processing {

namespace {
void trim(std::string& line) {
    if (line.size() > common::max_text_length)
        line.resize(common::max_text_length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
}
}  // namespace

void ProcessingLog::add(std::string line) {
    trim(line);
    std::lock_guard lock(mutex_);
    if (sink_)
        sink_(line);
    if (lines_.size() < capacity_) {
        lines_.push_back(std::move(line));
        return;
    }
    if (dropped_++ == 0)
        lines_.push_back(common::format_text(
            "Processing log full: the lines after the first %zu are not shown here",
            capacity_));
}

void ProcessingLog::add_closing(std::string line) {
    trim(line);
    std::lock_guard lock(mutex_);
    if (sink_)
        sink_(line);
    lines_.push_back(std::move(line));
}

void ProcessingLog::set_sink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void ProcessingLog::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
    lines_.shrink_to_fit();
    dropped_ = 0;
}

std::size_t ProcessingLog::size() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

std::string ProcessingLog::line(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < lines_.size() ? lines_[index] : std::string();
}

std::vector<std::string> ProcessingLog::lines(std::size_t first, std::size_t count) const {
    std::lock_guard lock(mutex_);
    if (first >= lines_.size())
        return {};
    const std::size_t last = std::min(lines_.size(), first + count);
    return std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                                    lines_.begin() + static_cast<std::ptrdiff_t>(last));
}

std::vector<std::string> ProcessingLog::all() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::uint64_t ProcessingLog::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace quelmar::processing
