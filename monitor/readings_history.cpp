#include "monitor/readings_history.h"

namespace quelmar::monitor {

ReadingsHistory::ReadingsHistory() : ring_(history_capacity) {}

bool ReadingsHistory::offer(const ReadingsBytes& entry) {
    const std::uint32_t counter = protocol::readings_counter(entry);
    std::lock_guard lock(mutex_);
    const bool is_new = !have_counter_ || counter != last_counter_;
    have_counter_ = true;
    last_counter_ = counter;
    if (!is_new) return false;
    if (count_ < history_capacity)
        ++count_;
    else
        head_ = (head_ + 1) % history_capacity;
    ring_[(head_ + count_ - 1) % history_capacity] = entry;
    return true;
}

void ReadingsHistory::clear() {
    std::lock_guard lock(mutex_);
    count_ = 0;
    head_ = 0;
}

void ReadingsHistory::reset() {
    std::lock_guard lock(mutex_);
    count_ = 0;
    head_ = 0;
    have_counter_ = false;
    last_counter_ = 0;
}

std::size_t ReadingsHistory::count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

std::vector<ReadingsBytes> ReadingsHistory::newest(std::size_t n) const {
    std::lock_guard lock(mutex_);
    if (n > count_) n = count_;
    std::vector<ReadingsBytes> out;
    out.reserve(n);
    for (std::size_t i = count_ - n; i < count_; ++i)
        out.push_back(ring_[(head_ + i) % history_capacity]);
    return out;
}

std::optional<ReadingsBytes> ReadingsHistory::from_newest(std::size_t back,
                                                          std::size_t* count_out) const {
    std::lock_guard lock(mutex_);
    if (count_out) *count_out = count_;
    if (back >= count_) return std::nullopt;
    return ring_[(head_ + count_ - 1 - back) % history_capacity];
}

}  // namespace quelmar::monitor
