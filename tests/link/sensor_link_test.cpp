#include "link/sensor_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;
using namespace std::chrono_literals;
using link::LinkResult;
using link::SensorReport;
using virtual_sensor::VirtualSensor;

namespace {

constexpr std::uint32_t short_timeout_ms = 150;

SensorReport filled_request(std::uint16_t code, std::uint8_t fill) {
    SensorReport r = SensorReport::request(code);
    for (std::size_t i = link::payload_offset; i < link::report_size; ++i) r.bytes[i] = fill;
    return r;
}

struct LinkFixture : ::testing::Test {
    VirtualSensor sensor;
    link::SensorLink sensor_link;

    void SetUp() override { sensor.attach(); }
    void open(std::uint32_t timeout_ms = short_timeout_ms) {
        ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), timeout_ms), LinkResult::ok);
    }
};

TEST_F(LinkFixture, SequenceStartsAtTwoAndWrapsThroughZero) {
    open();
    for (int i = 0; i < 300; ++i) {
        SensorReport r = SensorReport::request(294);
        ASSERT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::ok) << "exchange " << i;
        EXPECT_EQ(r.sequence(), static_cast<std::uint8_t>(2 + i));
    }
    const auto seen = sensor.requests();
    ASSERT_EQ(seen.size(), 300u);
    EXPECT_EQ(seen[0].sequence(), 2);
    EXPECT_EQ(seen[253].sequence(), 255);
    EXPECT_EQ(seen[254].sequence(), 0);
    EXPECT_EQ(seen[255].sequence(), 1);
    EXPECT_EQ(seen[256].sequence(), 2);

    // A new open starts the count again.
    link::sensor_link_close(sensor_link);
    open();
    SensorReport r = SensorReport::request(294);
    ASSERT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::ok);
    EXPECT_EQ(sensor.requests().back().sequence(), 2);
}

TEST_F(LinkFixture, RequestCarriesTheCallersBytesWithReportIdAndSequenceStamped) {
    open();
    SensorReport r = filled_request(448, 0xA5);
    r.set_length(13);
    const SensorReport before = r;
    ASSERT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::ok);
    const SensorReport sent = sensor.requests().back();
    EXPECT_EQ(sent.report_id(), 0);
    EXPECT_EQ(sent.sequence(), 2);
    for (std::size_t i = 1; i < link::report_size; ++i) {
        if (i == link::sequence_offset) continue;
        EXPECT_EQ(sent.bytes[i], before.bytes[i]) << "byte " << i;
    }
    // The reply replaced the whole buffer: the sensor answers 448 with 13 stored bytes.
    EXPECT_EQ(r.command(), 448);
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.length(), 13);
}

TEST(SensorLink, DeviceWithNumberedReportsGetsReportIdOne) {
    virtual_sensor::VirtualSensorOptions options;
    options.report_id = 1;
    VirtualSensor sensor(options);
    sensor.attach();
    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), short_timeout_ms), LinkResult::ok);
    for (int i = 0; i < 3; ++i) {
        SensorReport r = SensorReport::request(295);
        ASSERT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::ok);
    }
    for (const auto& sent : sensor.requests()) EXPECT_EQ(sent.report_id(), 1);
    EXPECT_EQ(link::sensor_link_report_id(sensor_link), 1);
}

TEST(SensorLink, ClosedLinkAnswersNotOpenAndLeavesTheBufferAlone) {
    link::SensorLink sensor_link;
    SensorReport r = filled_request(260, 0x3C);
    const SensorReport before = r;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::not_open);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(r.bytes, before.bytes);

    // Close with nothing open does nothing, however often.
    link::sensor_link_close(sensor_link);
    link::sensor_link_close(sensor_link);
    EXPECT_FALSE(link::sensor_link_is_open(sensor_link));
}

TEST(SensorLink, OpenFailsForAPathWithNoDevice) {
    link::SensorLink sensor_link;
    EXPECT_EQ(link::sensor_link_open(sensor_link, "virtual:does-not-exist", 100), LinkResult::failed);
    EXPECT_EQ(link::sensor_link_open(sensor_link, "/dev/hidraw-none", 100), LinkResult::failed);
    SensorReport r = SensorReport::request(260);
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::not_open);
}

TEST_F(LinkFixture, OpenOfAnOpenLinkFailsAndKeepsTheConnection) {
    open();
    EXPECT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 100), LinkResult::failed);
    SensorReport r = SensorReport::request(294);
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::ok);
}

TEST_F(LinkFixture, WrongSequenceIsNeverCopiedAndGivesFailure) {
    open();
    sensor.wrong_sequence_next_reply();
    SensorReport r = filled_request(294, 0x11);
    const SensorReport before = r;
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::failed);
    EXPECT_EQ(r.bytes, before.bytes);

    SensorReport next = SensorReport::request(294);
    EXPECT_EQ(link::sensor_exchange(sensor_link, next), LinkResult::ok);
    EXPECT_EQ(next.command(), 294);
}

// Exchanges `count` requests and returns how many failed; each that succeeds must carry its
// own command's reply.
int failures_over(link::SensorLink& sensor_link, int count) {
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint16_t code = i % 2 ? 294 : 448;
        SensorReport r = SensorReport::request(code);
        if (link::sensor_exchange(sensor_link, r) != LinkResult::ok) {
            ++failed;
            continue;
        }
        EXPECT_EQ(r.command(), code) << "exchange " << i;
    }
    return failed;
}

TEST_F(LinkFixture, OneReportTooManyCostsAtMostOneExchange) {
    open();
    // A filler report ahead of the real reply: that exchange fails, the real reply it left
    // behind never answers a later request.
    sensor.extra_report_before_next_reply();
    SensorReport first = filled_request(295, 0x33);
    const SensorReport before = first;
    EXPECT_EQ(link::sensor_exchange(sensor_link, first), LinkResult::failed);
    EXPECT_EQ(first.bytes, before.bytes);
    EXPECT_EQ(failures_over(sensor_link, 20), 0);

    // The same reply twice: the copy is read by the next exchange, which fails alone.
    sensor.duplicate_next_reply();
    SensorReport answered = SensorReport::request(295);
    EXPECT_EQ(link::sensor_exchange(sensor_link, answered), LinkResult::ok);
    EXPECT_LE(failures_over(sensor_link, 20), 1);
    EXPECT_EQ(failures_over(sensor_link, 5), 0);

    // A stray report that carries the sequence number of a request still to come is no
    // answer to that request either.
    std::vector<std::uint8_t> early(link::report_size, 0);
    early[link::sequence_offset] = static_cast<std::uint8_t>(sensor.requests().back().sequence() + 2);
    early[link::command_offset] = 0x55;
    sensor.extra_report_before_next_reply(early);
    EXPECT_LE(failures_over(sensor_link, 20), 1);
    EXPECT_EQ(failures_over(sensor_link, 5), 0);
}

TEST_F(LinkFixture, DroppedReplyTimesOutAndTheNextExchangeWorks) {
    open();
    sensor.drop_next_reply();
    SensorReport r = filled_request(295, 0x22);
    const SensorReport before = r;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::timed_out);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(short_timeout_ms - 5));
    EXPECT_EQ(r.bytes, before.bytes);

    SensorReport next = SensorReport::request(295);
    EXPECT_EQ(link::sensor_exchange(sensor_link, next), LinkResult::ok);
    EXPECT_EQ(next.command(), 295);
}

TEST_F(LinkFixture, LateReplyNeverAnswersTheNextRequest) {
    // A 400 ms time-out leaves a wide margin around every reply, so that a loaded machine
    // cannot move one across a deadline.
    constexpr int timeout_ms = 400;
    open(timeout_ms);
    // The first reply comes 100 ms after its exchange gave up, in the middle of the second
    // exchange, whose own reply comes 30 ms later still and well inside its time-out.
    sensor.delay_next_reply(std::chrono::milliseconds(timeout_ms + 100));
    SensorReport first = SensorReport::request(294);
    EXPECT_EQ(link::sensor_exchange(sensor_link, first), LinkResult::timed_out);

    sensor.set_reply_latency(std::chrono::milliseconds(130));
    SensorReport second = SensorReport::request(295);
    ASSERT_EQ(link::sensor_exchange(sensor_link, second), LinkResult::ok);
    EXPECT_EQ(second.command(), 295);
    EXPECT_EQ(second.sequence(), 3);

    // A late reply that arrives while nothing is asked is gone before the next request.
    sensor.set_reply_latency(0ms);
    sensor.delay_next_reply(std::chrono::milliseconds(timeout_ms + 30));
    SensorReport third = SensorReport::request(294);
    EXPECT_EQ(link::sensor_exchange(sensor_link, third), LinkResult::timed_out);
    std::this_thread::sleep_for(200ms);
    SensorReport fourth = SensorReport::request(448);
    ASSERT_EQ(link::sensor_exchange(sensor_link, fourth), LinkResult::ok);
    EXPECT_EQ(fourth.command(), 448);
}

TEST_F(LinkFixture, ThreadThatCannotGetTheLockInTimeFailsWithoutTouchingTheDevice) {
    // Both waits of an exchange last 400 ms. Every reply is far too late, so each exchange
    // holds the lock for its whole time-out. The first exchange takes the lock; half-way
    // through it two more start together: one gets the lock when the first gives up, 200 ms
    // before its own lock wait would end, and the other is still waiting when its lock wait
    // ends 200 ms before the second exchange gives up. The margins are wide so that a loaded
    // machine cannot change the outcome.
    constexpr std::uint32_t timeout_ms = 400;
    open(timeout_ms);
    sensor.set_reply_latency(5000ms);
    auto exchange = [this] {
        SensorReport r = SensorReport::request(295);
        return link::sensor_exchange(sensor_link, r);
    };
    std::vector<std::future<LinkResult>> results;
    results.push_back(std::async(std::launch::async, exchange));
    const auto first_seen_by = std::chrono::steady_clock::now() + 2s;
    while (sensor.requests().empty() && std::chrono::steady_clock::now() < first_seen_by) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(sensor.requests().size(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms / 2));
    for (int i = 0; i < 2; ++i) results.push_back(std::async(std::launch::async, exchange));

    std::vector<LinkResult> got;
    for (auto& f : results) got.push_back(f.get());
    EXPECT_EQ(got[0], LinkResult::timed_out);
    EXPECT_EQ(std::count(got.begin(), got.end(), LinkResult::timed_out), 2);
    EXPECT_EQ(std::count(got.begin(), got.end(), LinkResult::failed), 1);
    // The thread that never got the lock never wrote to the device.
    EXPECT_EQ(sensor.requests().size(), 2u);
    link::sensor_link_close(sensor_link);
}

TEST_F(LinkFixture, CloseOfABusyLinkEndsTheExchangeWithinItsBound) {
    open(5000);
    sensor.set_reply_latency(10000ms);
    auto pending = std::async(std::launch::async, [this] {
        SensorReport r = SensorReport::request(418);
        return link::sensor_exchange(sensor_link, r);
    });
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    link::sensor_link_close(sensor_link);
    EXPECT_EQ(pending.get(), LinkResult::timed_out);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2000ms);
    EXPECT_FALSE(link::sensor_link_is_open(sensor_link));

    SensorReport r = SensorReport::request(418);
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::not_open);
}

TEST_F(LinkFixture, SensorVanishingMidExchangeTimesOutAndAReturningSensorWorks) {
    open();
    sensor.vanish_on_next_request();
    SensorReport r = SensorReport::request(295);
    EXPECT_EQ(link::sensor_exchange(sensor_link, r), LinkResult::timed_out);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(sensor.attached());
    SensorReport again = SensorReport::request(295);
    EXPECT_EQ(link::sensor_exchange(sensor_link, again), LinkResult::timed_out);

    link::sensor_link_close(sensor_link);
    sensor.attach();
    open();
    SensorReport back = SensorReport::request(295);
    EXPECT_EQ(link::sensor_exchange(sensor_link, back), LinkResult::ok);
}

TEST_F(LinkFixture, ManyThreadsShareTheLinkAndEachGetsItsOwnReply) {
    open(2000);
    constexpr int threads = 4;
    constexpr int per_thread = 200;
    const std::uint16_t codes[threads] = {294, 295, 400, 448};
    std::vector<std::thread> workers;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < per_thread; ++i) {
                SensorReport r = SensorReport::request(codes[t]);
                if (link::sensor_exchange(sensor_link, r) != LinkResult::ok || r.command() != codes[t])
                    ++mismatches;
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
