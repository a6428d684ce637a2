#include "live/raw_table_feed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "common/bytes.h"

namespace quelmar::live {
namespace {

protocol::ReadingsBytes reading(std::uint32_t counter, std::uint8_t platform_valid = 1) {
    protocol::ReadingsEntry e;
    e.platform_valid = platform_valid;
    e.counter = counter;
    e.state = 7;
    e.sensor_time = 86400;  // 02/01/1970 00:00:00
    e.temperature_mdegc = 21500;
    e.supply_mv = 12049;
    e.channels = {0, 32768, 65535, 1, 2, 3, 4, 5};
    e.hall_i = 11;
    e.hall_w = 12;
    e.platform_salinity = 35.5f;
    e.platform_time = 0x80000000u;
    return protocol::encode_readings_entry(e);
}

std::uint32_t counter_of(const protocol::ReadingsBytes& b) { return protocol::readings_counter(b); }

TEST(RawTableFeed, OpensWithTheNewest1000OldestFirstThenFollows) {
    monitor::ReadingsHistory h;
    for (std::uint32_t i = 1; i <= 2500; ++i) h.offer(reading(i));
    RawTableFeed feed;
    FeedStep first = feed.step(true, h, false);
    EXPECT_TRUE(first.clear);
    ASSERT_EQ(first.rows.size(), 1000u);
    EXPECT_EQ(counter_of(first.rows.front()), 1501u);
    EXPECT_EQ(counter_of(first.rows.back()), 2500u);

    EXPECT_TRUE(feed.step(true, h, false).rows.empty());  // nothing new
    h.offer(reading(2501));
    FeedStep next = feed.step(true, h, false);
    EXPECT_FALSE(next.clear);
    ASSERT_EQ(next.rows.size(), 1u);
    EXPECT_EQ(counter_of(next.rows[0]), 2501u);
    EXPECT_TRUE(next.follow);
}

TEST(RawTableFeed, PausedReadingsAreSkippedForGood) {
    monitor::ReadingsHistory h;
    h.offer(reading(1));
    RawTableFeed feed;
    EXPECT_EQ(feed.step(true, h, false).rows.size(), 1u);
    for (std::uint32_t i = 2; i <= 6; ++i) {
        h.offer(reading(i));
        EXPECT_TRUE(feed.step(true, h, true).rows.empty());
    }
    EXPECT_TRUE(feed.step(true, h, false).rows.empty());  // 6 was seen while paused
    h.offer(reading(7));
    const FeedStep after = feed.step(true, h, false);
    ASSERT_EQ(after.rows.size(), 1u);
    EXPECT_EQ(counter_of(after.rows[0]), 7u);
}

TEST(RawTableFeed, EmptiesTheTableWhenTheMonitorStopsOrTheHistoryEmpties) {
    monitor::ReadingsHistory h;
    RawTableFeed feed;
    EXPECT_TRUE(feed.step(false, h, false).clear);  // opening always starts empty
    EXPECT_FALSE(feed.step(false, h, false).clear);
    h.offer(reading(1));
    EXPECT_EQ(feed.step(true, h, false).rows.size(), 1u);
    EXPECT_TRUE(feed.step(false, h, false).clear);
    EXPECT_FALSE(feed.step(false, h, false).clear);  // already empty
    // The counter is forgotten: the same reading shows again once the monitor is back.
    EXPECT_EQ(feed.step(true, h, false).rows.size(), 1u);
    h.clear();
    EXPECT_TRUE(feed.step(true, h, false).clear);
}

TEST(RawTableFeed, RowTexts) {
    const RawRow row = raw_row_texts(reading(42));
    EXPECT_EQ(row[0], "42");
    EXPECT_EQ(row[1], "7");
    EXPECT_EQ(row[2], "0.00000");
    EXPECT_EQ(row[3], "2.50000");
    EXPECT_EQ(row[4], "4.99992");
    EXPECT_EQ(row[10], "21.5");
    EXPECT_EQ(row[11], "12.0");
    EXPECT_EQ(row[12], "11");
    EXPECT_EQ(row[13], "12");
    EXPECT_EQ(row[14], "02/01/1970 00:00:00");
    EXPECT_EQ(row[15], "35.500");
    EXPECT_EQ(row[19], "2147483648");  // past the 32-bit clock: the plain number

    const RawRow no_platform = raw_row_texts(reading(43, 0));
    for (std::size_t c = 15; c < raw_table_columns; ++c) EXPECT_EQ(no_platform[c], "n/a") << c;
    EXPECT_EQ(no_platform[14], "02/01/1970 00:00:00");
    EXPECT_STREQ(raw_table_titles[10], "Temp (\u00b0C)");
}

// The view's thread reads the history while another thread appends, as the status monitor
// does; under the thread sanitizer this shows the sharing is synchronised.
TEST(RawTableWorker, FollowsAHistoryFilledByAnotherThread) {
    using namespace std::chrono_literals;
    monitor::ReadingsHistory h;
    std::mutex m;
    std::vector<std::uint32_t> shown;
    std::atomic<bool> running{true};
    RawTableWorker worker;
    worker.start([&] { return running.load(); }, h,
                 [&](FeedStep step) {
                     std::lock_guard lock(m);
                     if (step.clear) shown.clear();
                     for (const auto& r : step.rows) shown.push_back(counter_of(r));
                 },
                 1ms);
    std::thread writer([&] {
        for (std::uint32_t i = 1; i <= 300; ++i) {
            h.offer(reading(i));
            std::this_thread::sleep_for(200us);
        }
    });
    writer.join();
    const auto until = std::chrono::steady_clock::now() + 5s;
    for (;;) {
        {
            std::lock_guard lock(m);
            if (!shown.empty() && shown.back() == 300) break;
        }
        ASSERT_LT(std::chrono::steady_clock::now(), until);
        std::this_thread::sleep_for(1ms);
    }
    worker.stop();
    EXPECT_FALSE(worker.running());
    std::lock_guard lock(m);
    for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_LT(shown[i - 1], shown[i]);
}

}  // namespace
}  // namespace quelmar::live
