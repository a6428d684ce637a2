// The HID backend over a stand-in for the device calls.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "link/hidapi_backend.h"
#include "link/sensor_link.h"
#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;
using namespace quelmar::link;

namespace {

// Answers each read with the next queued byte string (cut to the length asked for), and
// records the lengths asked for and the reports written.
struct FakeHid {
    std::deque<std::vector<std::uint8_t>> reads;
    std::vector<std::size_t> asked;
    std::vector<std::vector<std::uint8_t>> written;
    bool closed = false;

    RawHidDevice raw() {
        RawHidDevice r;
        r.write = [this](const std::uint8_t* data, std::size_t length) {
            written.emplace_back(data, data + length);
            return static_cast<int>(length);
        };
        r.read = [this](std::uint8_t* data, std::size_t length, int) {
            asked.push_back(length);
            if (reads.empty()) return 0;
            auto bytes = reads.front();
            reads.pop_front();
            const std::size_t n = std::min(bytes.size(), length);
            std::copy_n(bytes.begin(), n, data);
            return static_cast<int>(n);
        };
        r.close = [this] { closed = true; };
        return r;
    }
};

std::vector<std::uint8_t> request_with_id(std::uint8_t id) {
    std::vector<std::uint8_t> r(report_size, 0);
    r[0] = id;
    r[sequence_offset] = 7;
    return r;
}

TEST(HidBackend, ReadsAreLaidOutForTheReportIdOfTheRequest) {
    // The descriptor could not be read, and the link kept report id 1 from an earlier device:
    // the reply comes with its id in front and must be taken whole, not shifted by one.
    FakeHid fake;
    DeviceBackend backend = make_hid_backend(fake.raw(), -1);
    EXPECT_EQ(backend.report_id, -1);
    ASSERT_TRUE(backend.write_report(request_with_id(1).data()));
    std::vector<std::uint8_t> reply(report_size);
    for (std::size_t i = 0; i < report_size; ++i) reply[i] = static_cast<std::uint8_t>(i + 1);
    reply[0] = 1;
    fake.reads.push_back(reply);
    std::uint8_t got[report_size];
    ASSERT_EQ(backend.read_report(got, 50), ReadOutcome::report);
    EXPECT_EQ(fake.asked.back(), report_size);
    EXPECT_TRUE(std::equal(got, got + report_size, reply.begin()));

    // Requests with id 0: hidraw leaves the id out, and it is put back.
    ASSERT_TRUE(backend.write_report(request_with_id(0).data()));
    fake.reads.push_back(std::vector<std::uint8_t>(reply.begin() + 1, reply.end()));
    ASSERT_EQ(backend.read_report(got, 50), ReadOutcome::report);
    EXPECT_EQ(fake.asked.back(), report_size - 1);
    EXPECT_EQ(got[0], 0);
    EXPECT_TRUE(std::equal(got + 1, got + report_size, reply.begin() + 1));

    // Before anything is written, a known descriptor decides.
    FakeHid numbered;
    DeviceBackend from_descriptor = make_hid_backend(numbered.raw(), 1);
    numbered.reads.push_back(reply);
    ASSERT_EQ(from_descriptor.read_report(got, 50), ReadOutcome::report);
    EXPECT_EQ(numbered.asked.back(), report_size);
}

TEST(HidBackend, ReadShortOfTheHeaderFailsInsteadOfPassingForAReply) {
    FakeHid fake;
    DeviceBackend backend = make_hid_backend(fake.raw(), 1);
    ASSERT_TRUE(backend.write_report(request_with_id(1).data()));
    // Id, code and sequence, but neither status nor length: it would match the request and
    // read as status 0 with an empty payload.
    fake.reads.push_back({1, 0x26, 0x01, 7});
    std::uint8_t got[report_size];
    EXPECT_EQ(backend.read_report(got, 50), ReadOutcome::failed);

    // A report that holds the header is taken, zero-filled.
    fake.reads.push_back({1, 0x26, 0x01, 7, 3, 0});
    ASSERT_EQ(backend.read_report(got, 50), ReadOutcome::report);
    EXPECT_EQ(got[status_offset], 3);
    EXPECT_TRUE(std::all_of(got + payload_offset, got + report_size, [](std::uint8_t b) { return b == 0; }));

    // Nothing to read is a time-out, not a failure; close reaches the device once.
    EXPECT_EQ(backend.read_report(got, 20), ReadOutcome::timed_out);
    backend.close();
    backend.close();
    EXPECT_TRUE(fake.closed);
}

TEST(HidBackend, VirtualSensorOpenOnOneLinkIsInUseForAnother) {
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    SensorLink first;
    SensorLink second;
    ASSERT_EQ(sensor_link_open(first, sensor.path(), 200), LinkResult::ok);
    EXPECT_EQ(sensor_link_open(second, sensor.path(), 200), LinkResult::in_use);
    sensor_link_close(first);
    EXPECT_EQ(sensor_link_open(second, sensor.path(), 200), LinkResult::ok);
}

}  // namespace
