// The simulator's protocols against the virtual sensor's RS232 side over a real
// pseudo-terminal, through the POSIX port.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "common/text.h"
#include "link/sensor_link.h"
#include "protocol/commands.h"
#include "protocol/readings.h"
#include "simulator/simulation.h"
#include "virtual_sensor/rs232_platform.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

using namespace quelmar;
using namespace quelmar::simulator;

template <class Done>
bool wait_for(Done done) {
    // A generous bound: the condition normally holds within a fraction of it.
    for (int i = 0; i < 2000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

struct Collected {
    std::mutex mutex;
    std::vector<std::string> status;
    std::vector<ResultRow> rows;
    SimulationEvents events() {
        return {[this](const std::string& s) { std::lock_guard l(mutex); status.push_back(s); },
                [this](const ResultRow& r) { std::lock_guard l(mutex); rows.push_back(r); },
                [this] { std::lock_guard l(mutex); rows.clear(); }};
    }
    std::size_t row_count() { std::lock_guard l(mutex); return rows.size(); }
};

TEST(Rs232Pty, GliderSetsClockFeedsPlatformDataAndDownloads) {
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side(sensor);
    std::string error;
    ASSERT_TRUE(side.open(&error)) << error;

    SerialSettings line;
    line.path = side.path();
    SerialPort port = open_posix_port(line, &error);
    ASSERT_TRUE(port.write) << error;

    PlatformSettings s;
    s.type = PlatformType::seaglider;
    s.dive_number = 42;
    s.max_depth_m = 2;
    s.dive_rate_cm_s = 100;
    s.climb_rate_cm_s = 100;
    s.p1 = 5;
    s.sampling = true;
    s.sample_interval_s = 1;
    Collected got;
    Simulation sim;
    sim.start(port, SimulationKind::glider, s, got.events(), {},
              {std::chrono::milliseconds(20), std::chrono::milliseconds(500)});
    ASSERT_TRUE(wait_for([&] { return side.results().size() >= 4 && got.row_count() >= 2; }));
    sim.stop();

    // The clock record holds today's UTC date.
    const auto clock = sensor.record(protocol::cmd::read_clock);
    ASSERT_EQ(clock.size(), 8u);
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    EXPECT_EQ(clock[1] | (clock[2] << 8), utc.tm_year + 1900);
    EXPECT_EQ(clock[3], utc.tm_mon + 1);
    EXPECT_LE(std::llabs(side.clock_offset()), 2);
    EXPECT_EQ(side.dive(), 42);

    // The platform data follow the dive: depths 0, 1, 2 then 2 climbing.
    const auto results = side.results();
    EXPECT_DOUBLE_EQ(results[0].depth_m, 0.0);
    EXPECT_DOUBLE_EQ(results[1].depth_m, 1.0);
    EXPECT_EQ(results[1].direction, 2);
    EXPECT_DOUBLE_EQ(results[3].depth_m, 2.0);
    EXPECT_EQ(results[3].direction, 3);
    const auto fed = virtual_sensor::fed_platform_data(sensor);
    ASSERT_TRUE(fed);
    EXPECT_EQ(fed->p1, 5);

    // The sampler's rows hold results the sensor computed.
    {
        std::lock_guard l(got.mutex);
        bool matched = false;
        for (const auto& r : results)
            for (const auto& row : got.rows)
                matched |= row.cells[2] == common::format_text("%.3f", r.value_milli / 1000.0);
        EXPECT_TRUE(matched);
        EXPECT_EQ(got.rows[0].cells[4], "good");
    }

    // Download: every result as a row.
    const auto held = side.results();
    Collected down;
    std::atomic<bool> finished{false};
    sim.start(open_posix_port(line), SimulationKind::download, s, down.events(),
              [&] { finished = true; });
    ASSERT_TRUE(wait_for([&] { return finished.load(); }));
    sim.stop();
    ASSERT_EQ(down.rows.size(), held.size());
    EXPECT_EQ(down.rows[1].cells[0], "42");
    EXPECT_EQ(down.rows[1].cells[5], "1.000");
    EXPECT_EQ(down.rows[1].cells[6], "diving");
    EXPECT_EQ(down.rows[1].cells[2], common::format_text("%.3f", held[1].value_milli / 1000.0));
    EXPECT_EQ(down.rows[1].cells[9], "5");
}

TEST(Rs232Pty, EtiWakesTheSensorAndCollectsItsResult) {
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side(sensor);
    ASSERT_TRUE(side.open());
    SerialSettings line;
    line.path = side.path();
    PlatformSettings s;
    s.type = PlatformType::eti;
    s.salinity = 34.5;
    s.temperature = 8.25;
    s.min_depth_m = 12;
    s.sample_interval_s = 1;
    Collected got;
    Simulation sim;
    sim.start(open_posix_port(line), SimulationKind::eti, s, got.events(), {},
              {std::chrono::milliseconds(20), std::chrono::milliseconds(500)});
    ASSERT_TRUE(wait_for([&] { return got.row_count() >= 1; }));
    sim.stop();
    const auto fed = virtual_sensor::fed_platform_data(sensor);
    ASSERT_TRUE(fed);
    EXPECT_FLOAT_EQ(fed->salinity, 34.5f);
    EXPECT_FLOAT_EQ(fed->temperature, 8.25f);
    EXPECT_FLOAT_EQ(fed->depth, 12.0f);
    // 444 reports what the host sent.
    const auto results = side.results();
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(got.rows[0].cells[2], common::format_text("%.3f", results[0].value_milli / 1000.0));
    EXPECT_EQ(got.rows[0].cells[2], "5.000");  // 2 + 0.25 per metre at 12 m
    EXPECT_EQ(got.status[0], "state=0, supply=12.1, temperature=21.50");
}

TEST(Rs232Pty, PlatformDataAndReadingsOverTheLinkCarryWhatTheHostSent) {
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    virtual_sensor::Rs232Side side(sensor);
    side.answer("status=b,37.25,-4,5,6");
    protocol::PlatformBytes bytes{};
    ASSERT_EQ(protocol::read_platform_data(sensor_link, bytes), 0);
    const protocol::PlatformData p = protocol::decode_platform_data(bytes);
    EXPECT_FLOAT_EQ(p.depth, 37.25f);
    EXPECT_EQ(p.direction, 3);
    EXPECT_EQ(p.p1, -4);
    EXPECT_EQ(p.p3, 6);

    const std::string data = eti_sentence("$CMD,1,3610,7250,125,0,0,0");
    side.answer(data.substr(0, data.find('\r')));
    std::uint8_t mode = 0;
    protocol::ReadingsBytes entry{};
    ASSERT_EQ(protocol::read_readings(sensor_link, mode, entry), 0);
    const protocol::ReadingsEntry e = protocol::decode_readings_entry(entry);
    EXPECT_EQ(e.platform_valid, 1);
    EXPECT_FLOAT_EQ(e.platform_salinity, 36.1f);
    EXPECT_FLOAT_EQ(e.platform_temperature, 7.25f);
    EXPECT_FLOAT_EQ(e.platform_depth, 12.5f);
    link::sensor_link_close(sensor_link);
}

TEST(Rs232Pty, SensorIgnoresGarbageAndBadChecksums) {
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side(sensor);
    EXPECT_EQ(side.answer("$CMD,0*0000"), "");
    EXPECT_EQ(side.answer("$CMD,0"), "");
    EXPECT_EQ(side.answer("nonsense"), "?\rSC>");
    EXPECT_EQ(side.answer(""), "");
    EXPECT_EQ(side.eti_state(), 0);
    const std::string wake = side.answer(std::string(eti_sentence("$CMD,0")).substr(0, 11));
    EXPECT_TRUE(check_eti_checksum(wake).ok) << wake;
    EXPECT_EQ(side.eti_state(), 1);
    EXPECT_EQ(side.answer("status=a,1e308,1,2"), "?\rSC>");  // four fields: not a status
    EXPECT_EQ(side.answer("status=a,1e308,1,2,3"), "?\rSC>");
    EXPECT_EQ(side.answer("status=a,nan,1,2,3"), "?\rSC>");
    EXPECT_TRUE(side.results().empty());

    // A line longer than any command, sent in one go over the terminal, does not stop it.
    ASSERT_TRUE(side.open());
    SerialSettings line;
    line.path = side.path();
    SerialPort port = open_posix_port(line);
    ASSERT_TRUE(port.write(std::string(5000, 'x') + "\r"));
    port.purge();
    ASSERT_TRUE(port.write("start=1\r"));
    std::string reply;
    EXPECT_EQ(read_reply(port, ">", reply), ReadResult::ok);
    EXPECT_EQ(reply, "SC>");
}

}  // namespace
