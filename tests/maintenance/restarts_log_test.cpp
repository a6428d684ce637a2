#include "maintenance/restarts_log.h"

#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/diagnostics_handlers.h"

namespace quelmar::maintenance {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

TEST(RestartsLog, RecordMatchesItsByteImageAndRow) {
    // USB connected, cause 2, 12.5 V, restart 5, 03/03/1973 09:46:40 UTC.
    const Image image = hex("EE | 01 | 02 00 | 7D 00 | 05 00 00 00 | 00 E1 F5 05");
    const auto r = common::decode_record<RestartRecord>(image.bytes);
    EXPECT_EQ(r.reserved0, 0xEE);
    EXPECT_EQ(r.usb_connected, 1);
    EXPECT_EQ(r.reset_cause, 2);
    EXPECT_EQ(r.supply_decivolts, 125);
    EXPECT_EQ(r.counter, 5u);
    EXPECT_EQ(r.rtc_time, 100000000u);
    EXPECT_EQ(bytes_of(common::encode_record(r)), image.bytes);

    const auto row = restart_row(r);
    EXPECT_EQ(row[0], "5");
    EXPECT_EQ(row[1], "03/03/1973 09:46:40");
    EXPECT_EQ(row[2], "2 (see datasheet)");
    EXPECT_EQ(row[3], "12.5V");
    EXPECT_EQ(row[4], "yes");
}

TEST(RestartsLog, CausesVoltagesAndTimesAsShown) {
    EXPECT_EQ(reset_cause_text(0), "0 (RTC time changed)");
    EXPECT_EQ(reset_cause_text(1), "1 (Power On Reset)");
    EXPECT_EQ(reset_cause_text(4), "4 (External Reset)");
    EXPECT_EQ(reset_cause_text(8), "8 (WDT reset)");
    EXPECT_EQ(reset_cause_text(65535), "65535 (see datasheet)");
    RestartRecord r;
    r.supply_decivolts = 0;
    r.rtc_time = 0x80000000u;  // beyond the sensor's signed clock: the plain number
    const auto row = restart_row(r);
    EXPECT_EQ(row[1], "2147483648");
    EXPECT_EQ(row[3], "0.0V");
    EXPECT_EQ(row[4], "no");
}

using RestartsFromSensor = test_support::SensorFixture;

// A sensor that answers every request would once have kept the program asking for ever; the
// log holds ten restarts, and ten is all that is asked for. (This one gives up after 50, so
// that a missing limit fails the test instead of hanging it.)
TEST_F(RestartsFromSensor, ASensorThatAlwaysAnswersGivesTenEntries) {
    std::uint32_t counter = 0;
    sensor.set_handler(protocol::cmd::read_restart_entry,
                       [&](virtual_sensor::VirtualSensor&, const link::SensorReport&) {
                           if (counter == 50)
                               return virtual_sensor::Reply{1, {}};
                           RestartRecord r;
                           r.counter = ++counter;
                           const auto b = common::encode_record(r);
                           return virtual_sensor::Reply{0, {b.begin(), b.end()}};
                       });
    const auto log = read_restart_log(sensor_link);
    ASSERT_EQ(log.size(), restart_log_limit);
    EXPECT_EQ(log.back().counter, 10u);
    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 10u);
    EXPECT_EQ(requests[0].payload()[0], 1);
    EXPECT_EQ(requests[0].length(), 1);
    for (std::size_t i = 1; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].payload()[0], 0);
}

TEST_F(RestartsFromSensor, HistoryKeepsTheLastTenNewestFirst) {
    auto log = read_restart_log(sensor_link);
    ASSERT_EQ(log.size(), 3u);  // as it left the factory
    for (int i = 0; i < 12; ++i)
        virtual_sensor::record_restart(sensor, 8);
    log = read_restart_log(sensor_link);
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(log.front().counter, 15u);
    EXPECT_EQ(log.back().counter, 6u);
    EXPECT_EQ(log.front().supply_decivolts, 121);  // the sensor's 12.1 V
    // Asking again starts from the newest once more.
    EXPECT_EQ(read_restart_log(sensor_link).front().counter, 15u);
}

TEST_F(RestartsFromSensor, AFailedFirstRequestGivesAnEmptyLog) {
    sensor.force_status(protocol::cmd::read_restart_entry, 7);
    EXPECT_TRUE(read_restart_log(sensor_link).empty());
}

}  // namespace
}  // namespace quelmar::maintenance
