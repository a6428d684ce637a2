#pragma once
// The last hour of readings (3600 entries, one a second) that the status monitor keeps for the
// live views. The monitor thread appends while the views read, so every access takes the lock
// and readers copy out what they need before letting go of it.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "protocol/readings.h"

namespace quelmar::monitor {

using protocol::ReadingsBytes;

constexpr std::size_t history_capacity = 3600;

class ReadingsHistory {
public:
    ReadingsHistory();

    // Appends unless the entry's reading counter equals the one of the entry offered before it
    // (the sensor answers with the same reading until it takes a new one). The first entry
    // after reset() is always taken. When full, the oldest entry is dropped.
    bool offer(const ReadingsBytes& entry);
    // Empties the history; the last counter is kept, so a repeat of the last reading is still
    // recognised.
    void clear();
    // Empties the history and forgets the last counter.
    void reset();

    std::size_t count() const;
    // The newest `n` entries (all when n exceeds the count), oldest first.
    std::vector<ReadingsBytes> newest(std::size_t n) const;
    // The entry `back` places before the newest (0 = the newest), with the count at that moment.
    std::optional<ReadingsBytes> from_newest(std::size_t back,
                                             std::size_t* count_out = nullptr) const;

  private:
    mutable std::mutex mutex_;
    std::vector<ReadingsBytes> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool have_counter_ = false;
    std::uint32_t last_counter_ = 0;
};

}  // namespace quelmar::monitor
