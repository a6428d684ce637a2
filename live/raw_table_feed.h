#pragma once
// What the raw output table shows, worked out away from any window: the rows of the readings
// history as texts, and the feed that decides, once a second, which reading becomes a new
// row. On opening, the newest 1000 readings are shown oldest first; after that each new
// reading is one row, a repeat of the same reading none, and readings that come while the
// display is paused are skipped for good.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "protocol/readings.h"
#include "monitor/readings_history.h"
#include "common/stop_signal.h"

namespace quelmar::live {

constexpr std::size_t raw_table_columns = 20;
constexpr std::size_t raw_table_backlog = 1000;
// Before a row is appended the oldest goes once there are more than this many.
constexpr std::size_t raw_table_row_limit = 1000;

extern const std::array<const char*, raw_table_columns> raw_table_titles;
// Column widths in average character widths.
extern const std::array<int, raw_table_columns> raw_table_widths;

using RawRow = std::array<std::string, raw_table_columns>;
RawRow raw_row_texts(const protocol::ReadingsBytes& entry);

// What the table is to do after one step of the feed.
struct FeedStep {
    bool clear = false;                    // empty the table first
    std::vector<protocol::ReadingsBytes> rows;  // append these, oldest first
    bool follow = false;                   // scroll to the last row
};

class RawTableFeed {
public:
    // The first step after opening takes the backlog; later steps follow the newest reading.
    FeedStep step(bool monitor_running, const monitor::ReadingsHistory& history, bool paused);

private:
    bool opened_ = false;
    bool shown_any_ = false;     // the table has rows
    bool have_counter_ = false;  // a reading was taken since the history last emptied
    std::uint32_t last_counter_ = 0;
};

// The view's thread: one feed step each period, handed to `deliver` on the thread itself; the
// receiver marshals it to its own thread. `paused` is read by the thread; the window sets it.
class RawTableWorker {
public:
    using Source = std::function<bool()>;  // whether the status monitor runs
    using Deliver = std::function<void(FeedStep)>;

    ~RawTableWorker();
    void start(Source monitor_running, const monitor::ReadingsHistory& history, Deliver deliver,
               std::chrono::milliseconds period = std::chrono::milliseconds(1000));
    void stop();
    void set_paused(bool paused) { paused_.store(paused); }
    bool running() const { return thread_.joinable(); }

private:
    common::StopSignal stop_;
    std::thread thread_;
    std::atomic<bool> paused_{false};
};

}  // namespace quelmar::live
