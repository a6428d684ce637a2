#include "maintenance/diagnostics_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "maintenance/tasks_table.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/diagnostics_handlers.h"

namespace quelmar::maintenance {
namespace {

using test::ascii;
using test::bytes_of;
using test::hex;
using test::Image;
using namespace std::chrono_literals;

DiagnosticsLogEntry entry_with(std::uint8_t severity, const std::string& message) {
    DiagnosticsLogEntry e;
    e.severity = severity;
    std::copy(message.begin(), message.end(), e.message.begin());
    return e;
}

TEST(DiagnosticsLog, EntryMatchesItsByteImage) {
    const Image image = hex("5C | 2A 01 00 00") + ascii("adc_sample", 32) + hex("C9 00 00 00") +
                        hex("07 | 04") + ascii("Sampled 8 channels", 71);
    ASSERT_EQ(image.size(), 114u);
    const auto e = common::decode_record<DiagnosticsLogEntry>(image.bytes);
    EXPECT_EQ(e.reserved0, 0x5C);
    EXPECT_EQ(e.counter, 298);
    EXPECT_EQ(entry_function(e), "adc_sample");
    EXPECT_EQ(e.line, 201);
    EXPECT_EQ(e.task_id, 7);
    EXPECT_EQ(e.severity, 4);
    EXPECT_EQ(entry_message(e), "Sampled 8 channels");
    EXPECT_EQ(bytes_of(common::encode_record(e)), image.bytes);
}

TEST(DiagnosticsLog, RowTextsAndColours) {
    auto e = entry_with(severity::debug, "Sampled");
    e.counter = 42;
    e.task_id = 3;
    e.line = -1;
    const auto row = diagnostics_row(e);
    EXPECT_EQ(row[0], "00000042");
    EXPECT_EQ(row[1], "03");
    EXPECT_EQ(row[2], "D");
    EXPECT_EQ(row[4], "-1");
    EXPECT_EQ(row[5], "Sampled");
    EXPECT_EQ(diagnostics_colour(e), RowColour::black);

    EXPECT_STREQ(severity_text(1), "E");
    EXPECT_STREQ(severity_text(2), "I");
    EXPECT_STREQ(severity_text(3), "?");
    EXPECT_STREQ(severity_text(0), "?");
    EXPECT_EQ(diagnostics_colour(entry_with(severity::error, "Pump stalled")), RowColour::red);
    // The restart stands out in blue whatever its severity, error included.
    EXPECT_EQ(diagnostics_colour(entry_with(severity::error, "Watchdog: Restarted after reset")),
              RowColour::blue);
    EXPECT_EQ(diagnostics_colour(entry_with(severity::info, "Restarted after reset")),
              RowColour::blue);
}

// Texts that fill their field without a NUL end at the field, not in the next one.
TEST(DiagnosticsLog, UnterminatedTextsStopAtTheirField) {
    DiagnosticsLogEntry e;
    e.function.fill('f');
    e.line = 0x58585858;  // "XXXX" right after the function field
    e.message.fill('m');
    EXPECT_EQ(entry_function(e), std::string(32, 'f'));
    EXPECT_EQ(entry_message(e), std::string(71, 'm'));
}

struct Reader : test_support::SensorFixture {
    DiagnosticsLogReader reader;
    std::mutex mutex;
    std::vector<DiagnosticsLogEntry> got;
    void start(std::chrono::milliseconds period = 5ms) {
        reader.start(
            sensor_link,
            [this](const DiagnosticsLogEntry& e) {
                std::lock_guard lock(mutex);
                got.push_back(e);
            },
            period);
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return got.size();
    }
    bool wait_for(const std::function<bool()>& done) {
        for (int i = 0; i < 5000 && !done(); ++i)
            std::this_thread::sleep_for(1ms);
        return done();
    }
    void TearDown() override {
        reader.stop();
        SensorFixture::TearDown();
    }
};

// The reader starts the read, drains what is pending, and picks up what comes later.
TEST_F(Reader, DrainsThenFollowsNewEntriesInOrder) {
    start();
    ASSERT_TRUE(wait_for([&] { return count() >= 4; }));  // the sensor's start-up entries
    virtual_sensor::log_diagnostic(sensor, 1, severity::info, "main", 10, "later");
    ASSERT_TRUE(wait_for([&] {
        std::lock_guard lock(mutex);
        return !got.empty() && entry_message(got.back()) == "later";
    }));
    reader.stop();
    EXPECT_EQ(requests_of(protocol::cmd::start_log_read), 1u);
    std::lock_guard lock(mutex);
    for (std::size_t i = 1; i < got.size(); ++i)
        EXPECT_EQ(got[i].counter, got[i - 1].counter + 1);
    const auto requests = sensor.requests();
    const auto& start = requests.front();
    EXPECT_EQ(start.command(), protocol::cmd::start_log_read);
    EXPECT_EQ(start.length(), 3);
    EXPECT_EQ(start.payload()[1], 0xFF);
    EXPECT_EQ(start.payload()[2], 0xFF);
}

TEST_F(Reader, PausedAsksForNothingAndResumesWithTheNextEntry) {
    reader.set_paused(true);
    start(1ms);
    ASSERT_TRUE(wait_for([&] { return requests_of(protocol::cmd::start_log_read) == 1; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(requests_of(protocol::cmd::read_log_entry), 0u);
    reader.set_paused(false);
    ASSERT_TRUE(wait_for([&] { return count() >= 4; }));
    EXPECT_EQ(got.front().counter, 1);
}

TEST_F(Reader, EndsAtOnceWhenTheReadCannotStart) {
    sensor.force_status(protocol::cmd::start_log_read, 1);
    start();
    ASSERT_TRUE(wait_for([&] { return requests_of(protocol::cmd::start_log_read) == 1; }));
    reader.stop();
    EXPECT_EQ(requests_of(protocol::cmd::read_log_entry), 0u);
    EXPECT_EQ(count(), 0u);
}

// Nothing is handed over once stop() has returned, even with a read in flight.
TEST_F(Reader, NothingArrivesAfterStop) {
    sensor.set_reply_latency(20ms);
    start(1ms);
    ASSERT_TRUE(wait_for([&] { return count() >= 1; }));
    reader.stop();
    const std::size_t n = count();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(count(), n);
}

struct SensorLog : test_support::SensorFixture {
    std::vector<DiagnosticsLogEntry> read_all() { return read_whole_log(sensor_link, 2000); }
};

TEST_F(SensorLog, AWholeReadEndsAtItsLimit) {
    sensor.set_handler(protocol::cmd::read_log_entry,
                       [](virtual_sensor::VirtualSensor&, const link::SensorReport&) {
                           return virtual_sensor::Reply{0, std::vector<std::uint8_t>(114, 0)};
                       });
    EXPECT_EQ(read_whole_log(sensor_link, 25).size(), 25u);
    sensor.force_status(protocol::cmd::start_log_read, 1);
    EXPECT_TRUE(read_whole_log(sensor_link, 25).empty());
}

TEST_F(SensorLog, WipeEmptiesTheLogAndDebugLinesFollowTheTaskFilter) {
    const auto first = read_all();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(entry_message(first.front()), restart_marker);
    ASSERT_EQ(wipe_log(sensor_link), protocol::status::ok);
    EXPECT_TRUE(read_all().empty());

    // Debug lines of task 7 are dropped until its filter lets them through.
    virtual_sensor::log_diagnostic(sensor, 7, severity::debug, "adc_sample", 1, "first");
    EXPECT_TRUE(read_all().empty());
    std::array<std::uint8_t, task_count> filters{};
    filters.fill(log_filter::error | log_filter::info);
    filters[7] |= log_filter::debug;
    ASSERT_EQ(write_task_filters(sensor_link, filters), protocol::status::ok);
    virtual_sensor::log_diagnostic(sensor, 7, severity::debug, "adc_sample", 2, "second");
    virtual_sensor::log_diagnostic(sensor, 6, severity::debug, "optics", 3, "third");
    const auto after = read_all();
    ASSERT_EQ(after.size(), 2u);  // the filter change itself, then the debug line
    EXPECT_EQ(entry_message(after[1]), "second");
}

// A sensor that came up in its bootloader and was then told to start its firmware has been
// reset: the log says so, and the restart history has a new newest entry.
TEST(SensorRestart, FirmwareStartedFromTheBootloaderIsARestart) {
    virtual_sensor::VirtualSensorOptions options;
    options.mode = 1;
    virtual_sensor::VirtualSensor sensor(options);
    sensor.attach();
    link::SensorLink link;
    ASSERT_EQ(link::sensor_link_open(link, sensor.path(), 1000), link::LinkResult::ok);
    sensor.set_mode(2);
    ASSERT_EQ(start_log_read(link), protocol::status::ok);
    DiagnosticsLogEntry e, last;
    int n = 0;
    while (n < 2000 && read_log_entry(link, e) == protocol::status::ok) {
        last = e;
        ++n;
    }
    EXPECT_EQ(entry_message(last), restart_marker);
    link::sensor_link_close(link);
}

}  // namespace
}  // namespace quelmar::maintenance
