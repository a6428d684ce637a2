#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "common/record_fields.h"
#include "live/processed_output_feed.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/instrument_results.h"

namespace quelmar::live {
namespace {

namespace cmd = protocol::cmd;
using namespace std::chrono_literals;

// Written by hand from the record's table: every field a different, recognisable value.
constexpr std::array<std::uint8_t, 53> record_image{
    0xAA,                                            // not used
    0x02, 0x01,                                      // dive number 258
    0x00, 0x10, 0x5E, 0x5F,                          // sensor time 0x5F5E1000
    0x78, 0x56, 0x34, 0x12,                          // platform time 0x12345678
    0x00, 0x00, 0x0C, 0x42,                          // salinity 35.0
    0x00, 0x00, 0x48, 0x41,                          // temperature 12.5
    0x00, 0x00, 0xC8, 0x42,                          // depth 100.0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x39, 0x40,  // value 25.5 (double)
    1, 2, 3, 4, 5, 6, 7, 8,                          // not used
    0x01,                                            // validity good
    0x02,                                            // diving
    0x00, 0x00, 0x80, 0x3F,                          // extra 1.0
    0x00, 0x00, 0x00, 0x40,                          // extra 2.0
    0x00, 0x00, 0xC0, 0xBF};                         // extra -1.5

TEST(ProcessedRecord, LayoutMatchesTheByteImageBothWays) {
    const auto r = common::decode_record<protocol::ProcessedRecord>(record_image);
    EXPECT_EQ(r.byte0, 0xAA);
    EXPECT_EQ(r.dive_number, 258);
    EXPECT_EQ(r.sensor_time, 0x5F5E1000u);
    EXPECT_EQ(r.platform_time, 0x12345678u);
    EXPECT_EQ(r.platform_salinity, 35.0f);
    EXPECT_EQ(r.platform_temperature, 12.5f);
    EXPECT_EQ(r.platform_depth, 100.0f);
    EXPECT_EQ(protocol::processed_value(r), 25.5);
    EXPECT_EQ(r.validity, 1);
    EXPECT_EQ(r.direction, 2);
    EXPECT_EQ(r.extra[0], 1.0f);
    EXPECT_EQ(r.extra[1], 2.0f);
    EXPECT_EQ(r.extra[2], -1.5f);
    const auto bytes = common::encode_record(r);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), record_image.begin()));

    protocol::ProcessedRecord v;
    protocol::set_processed_value(v, 25.5);
    EXPECT_EQ(v.value_bytes, (std::array<std::uint8_t, 8>{0, 0, 0, 0, 0, 0x80, 0x39, 0x40}));
}

TEST(ProcessedTexts, RowShowsEachFieldInItsColumn) {
    auto r = common::decode_record<protocol::ProcessedRecord>(record_image);
    r.sensor_time = 86400 + 3661;  // 02/01/1970 01:01:01
    r.platform_time = 0x80000000u;  // past the 32-bit clock: the plain number
    const auto row = processed_row_texts(r);
    const ProcessedRow expected{"258",    "02/01/1970 01:01:01", "2147483648", "25.500", "good",
                                "100.000", "diving",             "35.000",     "12.500", "1.000",
                                "2.000",  "-1.500"};
    EXPECT_EQ(row, expected);
}

TEST(ProcessedTexts, ValidityAndDirectionOutsideTheirListsAreUnknown) {
    EXPECT_STREQ(validity_text(1), "good");
    EXPECT_STREQ(validity_text(2), "bad");
    EXPECT_STREQ(validity_text(3), "unknown");
    EXPECT_STREQ(validity_text(0), "unknown");
    EXPECT_STREQ(direction_text(0), "unknown");
    EXPECT_STREQ(direction_text(1), "surfaced");
    EXPECT_STREQ(direction_text(3), "climbing");
    EXPECT_STREQ(direction_text(4), "hovering");
    EXPECT_STREQ(direction_text(5), "unknown");
}

TEST(ProcessedTitles, RetitledByChemistry) {
    namespace ch = protocol::chemistry;
    const auto generic = processed_titles(ch::generic);
    EXPECT_EQ(generic[0], "Dive Number");
    EXPECT_EQ(generic[3], "Generic Value");
    EXPECT_EQ(generic[8], "Platform Temperature (\u00b0C)");
    EXPECT_EQ(generic[9], "P1");
    EXPECT_EQ(generic[11], "P3");

    const auto nitrate = processed_titles(ch::nitrate);
    EXPECT_EQ(nitrate[3], "Nitrate (uM)");
    EXPECT_EQ(nitrate[10], "Short (uM)");
    const auto ph = processed_titles(ch::ph);
    EXPECT_EQ(ph[3], "pH");
    EXPECT_EQ(ph[9], "Platform DO (ml/l)");
    EXPECT_EQ(ph[11], "Thermistor t (degC)");
    EXPECT_EQ(ph[0], "Dive Number");

    // Only DIC renames the first column; it holds the measurement state there.
    const auto dic = processed_titles(ch::dic);
    EXPECT_EQ(dic[0], "Meas State");
    EXPECT_EQ(dic[3], "DIC (umol/kg)");
    EXPECT_EQ(dic[10], "CRM Step (V)");

    EXPECT_EQ(processed_titles(ch::ammonia)[9], "P1");
    EXPECT_EQ(processed_titles(200)[3], "Unknown Value");

    const auto w = processed_widths(ch::generic);
    EXPECT_EQ(w, (std::array<int, processed_columns>{10, 15, 15, 15, 10, 15, 15, 15, 20, 15, 15, 15}));
    EXPECT_EQ(processed_widths(ch::ta)[11], 15);
}

// The worker against the virtual sensor's store of results.
struct Worker : test_support::SensorFixture {
    std::mutex mutex;
    std::vector<protocol::ProcessedRecord> got;
    std::atomic<int> batches{0};
    ProcessedOutputWorker worker;

    void start() {
        worker.start(sensor_link,
                     [this](std::vector<protocol::ProcessedRecord> b) {
                         std::lock_guard lock(mutex);
                         got.insert(got.end(), b.begin(), b.end());
                         ++batches;
                     },
                     5ms);
    }
    std::size_t received() {
        std::lock_guard lock(mutex);
        return got.size();
    }
    bool wait_batches(int n) {
        for (int i = 0; i < 5000 && batches < n; ++i) std::this_thread::sleep_for(1ms);
        return batches >= n;
    }
    static protocol::ProcessedRecord result(std::uint16_t dive) {
        protocol::ProcessedRecord r;
        r.dive_number = dive;
        return r;
    }
};

TEST_F(Worker, OpensOnceThenDrainsWhatTheSensorHasReady) {
    for (std::uint16_t d = 1; d <= 3; ++d) virtual_sensor::add_result(sensor, result(d));
    start();
    ASSERT_TRUE(wait_batches(2));
    EXPECT_EQ(received(), 3u);
    virtual_sensor::add_result(sensor, result(4));
    const int now = batches;
    ASSERT_TRUE(wait_batches(now + 2));
    worker.stop();
    ASSERT_EQ(got.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(got[i].dive_number, i + 1);
    EXPECT_EQ(requests_of(cmd::start_processed_read), 1u);
    // The opening request carries its constant payload.
    for (const auto& r : sensor.requests()) {
        if (r.command() == cmd::start_processed_read) {
            EXPECT_EQ(r.length(), 3);
            EXPECT_EQ(r.payload()[0], 2);
            EXPECT_EQ(r.payload()[1], 255);
            EXPECT_EQ(r.payload()[2], 255);
        }
        if (r.command() == cmd::read_processed_record) {
            EXPECT_EQ(r.length(), 1);
            EXPECT_EQ(r.payload()[0], 2);
        }
    }
}

TEST_F(Worker, AFailedOpenEndsTheThreadWithoutReading) {
    virtual_sensor::add_result(sensor, result(1));
    sensor.force_status(cmd::start_processed_read, 5);
    start();
    for (int i = 0; i < 5000 && requests_of(cmd::start_processed_read) == 0; ++i)
        std::this_thread::sleep_for(1ms);
    worker.stop();
    EXPECT_FALSE(worker.opened());
    EXPECT_EQ(requests_of(cmd::read_processed_record), 0u);
    EXPECT_EQ(received(), 0u);
}

TEST_F(Worker, WhilePausedResultsWaitOnTheSensor) {
    worker.set_paused(true);
    virtual_sensor::add_result(sensor, result(7));
    start();
    ASSERT_TRUE(wait_batches(3));
    EXPECT_EQ(received(), 0u);
    EXPECT_EQ(requests_of(cmd::read_processed_record), 0u);
    worker.set_paused(false);
    ASSERT_TRUE(wait_batches(batches + 2));
    worker.stop();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].dive_number, 7);
}

}  // namespace
}  // namespace quelmar::live
