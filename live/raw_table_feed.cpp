#include "live/raw_table_feed.h"

#include <optional>

#include "common/text.h"

namespace quelmar::live {

const std::array<const char*, raw_table_columns> raw_table_titles = {
    "Counter",
    "State",
    "Ch 0",
    "Ch 1",
    "Ch 2",
    "Ch 3",
    "Ch 4",
    "Ch 5",
    "Ch 6",
    "Ch 7",
    "Temp (\u00b0C)",
    "Voltage (V)",
    "Hall (I)",
    "Hall (W)",
    "Sensor Timestamp",
    "Platform Salinity (PSU)",
    "Platform Temp (\u00b0C)",
    "Platform DO (ml/l)",
    "Platform Depth (m)",
    "Platform Timestamp",
};

const std::array<int, raw_table_columns> raw_table_widths = {10, 5, 9,  9,  9,  9,  9,  9,  9,  9,
                                                             9,  9, 9,  9,  20, 15, 15, 15, 15, 20};

RawRow raw_row_texts(const protocol::ReadingsBytes& bytes) {
    const protocol::ReadingsEntry e = protocol::decode_readings_entry(bytes);
    RawRow row;
    row[0] = common::format_text("%u", e.counter);
    row[1] = common::format_text("%u", e.state);
    for (std::size_t c = 0; c < protocol::channel_count; ++c)
        row[2 + c] = common::format_text("%.5f", protocol::channel_volts(e.channels[c]));
    row[10] = common::format_text("%.1f", e.temperature_mdegc / 1000.0);
    row[11] = common::format_text("%.1f", e.supply_mv / 1000.0);
    row[12] = common::format_text("%u", e.hall_i);
    row[13] = common::format_text("%u", e.hall_w);
    row[14] = common::sensor_time_text(e.sensor_time);
    if (e.platform_valid == 0) {
        for (std::size_t c = 15; c < raw_table_columns; ++c) row[c] = "n/a";
    } else {
        row[15] = common::format_text("%.3f", e.platform_salinity);
        row[16] = common::format_text("%.3f", e.platform_temperature);
        row[17] = common::format_text("%.3f", e.platform_oxygen);
        row[18] = common::format_text("%.3f", e.platform_depth);
        row[19] = common::sensor_time_text(e.platform_time);
    }
    return row;
}

FeedStep RawTableFeed::step(bool monitor_running, const monitor::ReadingsHistory& history,
                            bool paused) {
    FeedStep out;
    if (!opened_) {
        opened_ = true;
        out.clear = true;
        if (!monitor_running) return out;
        // The whole backlog is copied at once, so readings arriving meanwhile cannot shift it;
        // the next step follows on from its newest entry.
        const auto backlog = history.newest(raw_table_backlog);
        if (backlog.empty()) return out;
        have_counter_ = true;
        last_counter_ = protocol::readings_counter(backlog.back());
        if (paused) return out;
        std::optional<std::uint32_t> previous;
        for (const auto& entry : backlog) {
            const std::uint32_t counter = protocol::readings_counter(entry);
            if (previous && *previous == counter) continue;  // one row per reading
            previous = counter;
            out.rows.push_back(entry);
        }
        shown_any_ = !out.rows.empty();
        out.follow = shown_any_;
        return out;
    }
    if (!monitor_running || history.count() == 0) {
        if (shown_any_) out.clear = true;
        shown_any_ = false;
        have_counter_ = false;
        return out;
    }
    const auto newest = history.from_newest(0);
    if (!newest) return out;
    const std::uint32_t counter = protocol::readings_counter(*newest);
    if ((!have_counter_ || counter != last_counter_) && !paused) {
        out.rows.push_back(*newest);
        out.follow = true;
        shown_any_ = true;
    }
    // Readings that arrive while paused are remembered, so they are skipped for good.
    have_counter_ = true;
    last_counter_ = counter;
    return out;
}

RawTableWorker::~RawTableWorker() { stop(); }

void RawTableWorker::start(Source monitor_running, const monitor::ReadingsHistory& history,
                           Deliver deliver, std::chrono::milliseconds period) {
    stop();
    stop_.reset();
    thread_ = std::thread([this, running = std::move(monitor_running), h = &history,
                           deliver = std::move(deliver), period] {
        RawTableFeed feed;
        do {
            FeedStep step = feed.step(running(), *h, paused_.load());
            if (step.clear || !step.rows.empty()) deliver(std::move(step));
        } while (!stop_.wait_for_stop(period));
    });
}

void RawTableWorker::stop() {
    if (!thread_.joinable()) return;
    stop_.request_stop();
    thread_.join();
}

}  // namespace quelmar::live
