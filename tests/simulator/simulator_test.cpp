// The platform protocols without a window: checksums, the depth walk, the replies the
// simulator parses, the ETI state rules, the field rules, and the bounded reply reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <atomic>
#include <deque>
#include <thread>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/text.h"
#include "simulator/platform_settings.h"
#include "simulator/protocols.h"
#include "simulator/serial_port.h"
#include "simulator/simulation.h"

namespace {

using namespace quelmar::simulator;
using quelmar::common::StopSignal;

// A port whose peer answers each write from a script; everything written is kept.
struct ScriptedLine {
    std::mutex mutex;
    std::vector<std::string> written;
    std::deque<char> input;
    std::function<std::string(const std::string&)> peer;

    SerialPort port() {
        SerialPort p;
        p.write = [this](std::string_view text) {
            std::lock_guard lock(mutex);
            written.emplace_back(text);
            if (peer) {
                const std::string reply = peer(std::string(text));
                input.insert(input.end(), reply.begin(), reply.end());
            }
            return true;
        };
        p.read_byte = [this](char& c, std::chrono::milliseconds) {
            std::lock_guard lock(mutex);
            if (input.empty()) return false;
            c = input.front();
            input.pop_front();
            return true;
        };
        p.purge = [this] {
            std::lock_guard lock(mutex);
            input.clear();
        };
        return p;
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex);
        return written;
    }
};

struct Collected {
    std::mutex mutex;
    std::vector<std::string> status;
    std::vector<ResultRow> rows;
    SimulationEvents events() {
        return {[this](const std::string& s) {
                    std::lock_guard lock(mutex);
                    status.push_back(s);
                },
                [this](const ResultRow& r) {
                    std::lock_guard lock(mutex);
                    rows.push_back(r);
                },
                [this] {
                    std::lock_guard lock(mutex);
                    rows.clear();
                }};
    }
};

TEST(Crc16Arc, StandardCheckValueAndSentences) {
    EXPECT_EQ(crc16_arc("123456789"), 0xBB3D);
    EXPECT_EQ(crc16_arc(""), 0x0000);
    // Computed independently with a bitwise CRC-16/ARC (poly 0xA001 reflected, init 0).
    EXPECT_EQ(crc16_arc("$CMD,0"), 0x8608);
    EXPECT_EQ(eti_sentence("$CMD,0"), "$CMD,0*8608\r\n");
    EXPECT_EQ(eti_sentence("$CMD,3"), "$CMD,3*8748\r\n");
    EXPECT_EQ(crc16_arc("$CMD,1,3500,12500,50,1,2,3"), 0x1B8A);
}

TEST(DepthWalk, TurnsReportTheLastDepthAgainAndNeverPassALimit) {
    PlatformSettings s;
    s.update_interval_s = 10;
    s.dive_rate_cm_s = 50;
    s.climb_rate_cm_s = 50;
    s.min_depth_m = 0;
    s.max_depth_m = 10;
    DepthWalk walk(s);
    std::vector<std::string> lines;
    for (int i = 0; i < 9; ++i) lines.push_back(glider_status_line(walk.next(), s));
    const std::vector<std::string> expected = {
        "status=a,0.00,0,0,0\r",  "status=a,5.00,0,0,0\r", "status=a,10.00,0,0,0\r",
        "status=b,10.00,0,0,0\r", "status=b,5.00,0,0,0\r", "status=b,0.00,0,0,0\r",
        "status=a,0.00,0,0,0\r",  "status=a,5.00,0,0,0\r", "status=a,10.00,0,0,0\r"};
    EXPECT_EQ(lines, expected);

    // Steps that do not divide the range: the walk turns short of the limit.
    s.max_depth_m = 12;
    s.p1 = -1;
    DepthWalk uneven(s);
    std::vector<std::string> depths;
    for (int i = 0; i < 5; ++i) depths.push_back(glider_status_line(uneven.next(), s));
    EXPECT_EQ(depths[2], "status=a,10.00,-1,0,0\r");
    EXPECT_EQ(depths[3], "status=b,10.00,-1,0,0\r");
}

TEST(GliderReplies, SampleWithAndWithoutPromptAndDownloadLines) {
    const auto row = parse_sample_reply("SC>1700000000,12345,21500,0,12\r");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->cells[1], "14/11/2023 22:13:20");
    EXPECT_EQ(row->cells[2], "12.345");
    EXPECT_EQ(row->cells[3], "0.012");
    EXPECT_EQ(row->cells[4], "good");
    EXPECT_EQ(row->cells[8], "21.500");
    EXPECT_EQ(row->cells[0], "-");
    EXPECT_EQ(row->cells[12], "-");
    EXPECT_EQ(parse_sample_reply("1700000000,1,2,1,0\r")->cells[4], "bad");
    EXPECT_EQ(parse_sample_reply("1700000000,1,2,7,0\r")->cells[4], "unknown");
    EXPECT_FALSE(parse_sample_reply("SC>\r"));
    EXPECT_FALSE(parse_sample_reply("1,2,3\r"));

    const auto d = parse_download_line(" 12,1700000000,5.500,3.375,0.012,1,3,1,-2,3,12.1\r");
    ASSERT_TRUE(d);
    const std::array<std::string, result_columns> expected = {
        "12", "14/11/2023 22:13:20", "3.375", "0.012", "good", "5.500", "climbing",
        "0.000", "0.000", "1", "-2", "3", "12.1"};
    EXPECT_EQ(d->cells, expected);
    EXPECT_EQ(parse_download_line("1,2,3,4,5,2,9,0,0,0,1\r")->cells[4], "bad");
    EXPECT_EQ(parse_download_line("1,2,3,4,5,2,9,0,0,0,1\r")->cells[6], "unknown");
    EXPECT_FALSE(parse_download_line("1,2,3,4,5,6,7,8,9,10\r"));  // ten fields
    EXPECT_FALSE(parse_download_line("SC>"));
    EXPECT_EQ(parse_download_line("SC>SC> 1,2,3,4,5,1,1,0,0,0,1\r")->cells[6], "surfaced");
}

TEST(GliderProtocol, OpensWithUtcClockAndDiveThenReportsStatus) {
    ScriptedLine line;
    SerialPort port = line.port();
    Collected got;
    PlatformSettings s;
    s.dive_number = 7;
    s.update_interval_s = 1;
    s.dive_rate_cm_s = 100;
    s.climb_rate_cm_s = 100;
    s.max_depth_m = 1;
    s.p1 = 4;
    StopSignal stop;
    int reports = 0;
    // A PC far from Greenwich: the clock line must still carry UTC.
    const char* old_tz = std::getenv("TZ");
    const std::string saved_tz = old_tz ? old_tz : "";
    setenv("TZ", "NZST-12", 1);
    tzset();
    SimulationEvents events = got.events();
    events.status = [&](const std::string& text) {
        got.status.push_back(text);
        if (++reports == 3) stop.request_stop();
    };
    // 2023-11-14 22:13:20 UTC: the sensor keeps UTC whatever the PC's zone.
    run_glider(port, s, events, stop, {std::chrono::milliseconds(1), std::chrono::milliseconds(500)},
               [] { return std::time_t{1700000000}; });
    if (old_tz) setenv("TZ", saved_tz.c_str(), 1);
    else unsetenv("TZ");
    tzset();
    const auto written = line.lines();
    ASSERT_GE(written.size(), 6u);
    EXPECT_EQ(written[0], "\r\r");
    EXPECT_EQ(written[1], "\r\rclock-set=14,11,2023,22,13,20\r");
    EXPECT_EQ(written[2], "\r\rstart=0007\r");
    EXPECT_EQ(written[3], "status=a,0.00,4,0,0\r");
    EXPECT_EQ(written[5], "status=b,1.00,4,0,0\r");
    EXPECT_EQ(got.status[0], "Depth: 0.00, Direction: dive");
    EXPECT_EQ(got.status[2], "Depth: 1.00, Direction: climb");
}

TEST(GliderProtocol, SamplerAddsRowsAndReportsBadReplies) {
    ScriptedLine line;
    int samples = 0;
    line.peer = [&](const std::string& text) -> std::string {
        if (text != "sample\r") return "";
        ++samples;
        if (samples == 1) return "SC>1700000000,2500,21500,0,12\r";
        if (samples == 2) return "garbage\r";
        return "";  // no reply at all
    };
    SerialPort port = line.port();
    Collected got;
    PlatformSettings s;
    s.sampling = true;
    s.update_interval_s = 1000;  // only the first status line
    s.sample_interval_s = 1;
    StopSignal stop;
    SimulationEvents events = got.events();
    events.status = [&](const std::string& text) {
        std::lock_guard lock(got.mutex);
        got.status.push_back(text);
        if (text.rfind("RS232 read error", 0) == 0) stop.request_stop();
    };
    run_glider(port, s, events, stop, {std::chrono::milliseconds(5), std::chrono::milliseconds(500)});
    ASSERT_EQ(got.rows.size(), 1u);
    EXPECT_EQ(got.rows[0].cells[2], "2.500");
    EXPECT_NE(std::find(got.status.begin(), got.status.end(), "Invalid response (garbage)"),
              got.status.end());
    EXPECT_EQ(got.status.back(), "RS232 read error (1)");
}

TEST(ReplyReader, BoundedRepliesEndWithAClearErrorAndStopEndsAWait) {
    ScriptedLine line;
    SerialPort port = line.port();
    std::string reply;
    line.input.assign(98, 'x');
    line.input.push_back('\r');  // 99 characters with the terminator: still fits
    EXPECT_EQ(read_reply(port, "\r", reply), ReadResult::ok);
    EXPECT_EQ(reply.size(), 99u);

    line.input.assign(99, 'x');
    line.input.push_back('\r');
    EXPECT_EQ(read_reply(port, "\r", reply), ReadResult::too_long);
    EXPECT_LE(reply.size(), max_reply_length);
    EXPECT_EQ(read_error_text("RS232 read error", ReadResult::too_long),
              "RS232 read error (2): reply too long (more than 99 characters)");

    // "\r\n" replies: a lone "\r" inside does not end them.
    line.input.clear();
    for (char c : std::string("a\rb\r\n")) line.input.push_back(c);
    EXPECT_EQ(read_reply(port, "\r\n", reply), ReadResult::ok);
    EXPECT_EQ(reply, "a\rb\r\n");

    // A peer that keeps sending without a terminator cannot hold the reader (and the port
    // lock) past one read time-out: each byte here takes the whole slice it is given.
    SerialPort dripping;
    dripping.read_byte = [](char& c, std::chrono::milliseconds slice) {
        std::this_thread::sleep_for(slice);
        c = 'x';
        return true;
    };
    EXPECT_EQ(read_reply(dripping, "\r", reply), ReadResult::no_reply);
    EXPECT_LT(reply.size(), max_reply_length);

    line.input.clear();
    StopSignal stop;
    stop.request_stop();
    EXPECT_EQ(read_reply(port, "\r", reply, &stop), ReadResult::stopped);
    EXPECT_EQ(read_reply(port, "\r", reply, nullptr, std::chrono::milliseconds(20)),
              ReadResult::no_reply);
}

// An ETI peer that answers every sentence from a table, with a checksum that may be spoilt.
std::function<std::string(const std::string&)> eti_peer(std::vector<std::string> wake,
                                                         std::vector<std::string> data) {
    auto w = std::make_shared<std::deque<std::string>>(wake.begin(), wake.end());
    auto d = std::make_shared<std::deque<std::string>>(data.begin(), data.end());
    return [w, d](const std::string& text) -> std::string {
        auto next = [](std::deque<std::string>& q) {
            if (q.empty()) return std::string();
            std::string s = q.front();
            if (q.size() > 1) q.pop_front();
            return s;
        };
        if (text.rfind("$CMD,0*", 0) == 0) return next(*w);
        if (text.rfind("$CMD,2,", 0) == 0) return eti_sentence("$CMD,2");
        if (text.rfind("$CMD,1,", 0) == 0) return next(*d);
        if (text.rfind("$CMD,3*", 0) == 0) return eti_sentence("$CMD,3,1700000000,4500,21500");
        return "";
    };
}

TEST(EtiProtocol, WakeUpSendsDataAndCollectsResults) {
    ScriptedLine line;
    line.peer = eti_peer({eti_sentence("$CMD,0,121,215,0"), eti_sentence("$CMD,0,121,215,1")},
                         {eti_sentence("$CMD,1,2"), eti_sentence("$CMD,1,3")});
    SerialPort port = line.port();
    Collected got;
    PlatformSettings s;
    s.type = PlatformType::eti;
    s.salinity = 35.25;
    s.temperature = 12.5;
    s.min_depth_m = 5;
    s.p1 = 1;
    s.p2 = 2;
    s.p3 = 3;
    StopSignal stop;
    SimulationEvents events = got.events();
    events.row = [&](const ResultRow& r) {
        got.rows.push_back(r);
        stop.request_stop();
    };
    run_eti(port, s, events, stop, {std::chrono::milliseconds(1), std::chrono::milliseconds(500)},
            [] { return std::time_t{1700000000}; });
    const std::vector<std::string> expected_status = {
        "state=0, supply=12.1, temperature=21.50", "state=1, supply=12.1, temperature=21.50",
        "state=2", "state=3", "time=1700000000,value=4.500,temp=21.500"};
    EXPECT_EQ(got.status, expected_status);
    const auto written = line.lines();
    EXPECT_NE(std::find(written.begin(), written.end(), eti_sentence("$CMD,2,1700000000")), written.end());
    EXPECT_NE(std::find(written.begin(), written.end(), eti_sentence("$CMD,1,3525,12500,50,1,2,3")),
              written.end());
    ASSERT_EQ(got.rows.size(), 1u);
    EXPECT_EQ(got.rows[0].cells[0], "0");
    EXPECT_EQ(got.rows[0].cells[2], "4.500");
    EXPECT_EQ(got.rows[0].cells[8], "21.500");
    EXPECT_EQ(got.rows[0].cells[5], "-");
}

TEST(EtiProtocol, WrongChecksumIsReportedWithBothValuesAndLeavesTheState) {
    std::string spoilt = eti_sentence("$CMD,1,3");
    spoilt.replace(spoilt.find('*') + 1, 4, "0000");
    ScriptedLine line;
    line.peer = eti_peer({eti_sentence("$CMD,0,121,215,1")}, {eti_sentence("$CMD,1,2"), spoilt});
    SerialPort port = line.port();
    Collected got;
    PlatformSettings s;
    StopSignal stop;
    SimulationEvents events = got.events();
    events.status = [&](const std::string& text) {
        got.status.push_back(text);
        if (got.status.size() == 4) stop.request_stop();
    };
    run_eti(port, s, events, stop, {std::chrono::milliseconds(1), std::chrono::milliseconds(500)});
    ASSERT_EQ(got.status.size(), 4u);
    EXPECT_EQ(got.status[1], "state=2");
    const std::string computed = quelmar::common::format_text("%04X", crc16_arc("$CMD,1,3"));
    EXPECT_EQ(got.status[2], "Invalid CRC (" + computed + " != 0000)");
    EXPECT_EQ(got.status[3], got.status[2]);  // still state 2: the data are sent again
    EXPECT_TRUE(got.rows.empty());

    EXPECT_EQ(check_eti_checksum("hello\r\n").error, "Ignoring >>hello<<");
    EXPECT_TRUE(check_eti_checksum(eti_sentence("$CMD,2")).ok);
    EXPECT_EQ(check_eti_checksum("$CMD,2*zz\r\n").error, "Ignoring >>$CMD,2*zz<<");
}

TEST(PlatformSettings, PresetsTitlesAndClamps) {
    PlatformSettings s;
    SerialChoice serial;
    serial.line.path = "/dev/ttyUSB0";
    serial.line.baud_rate = 115200;
    apply_platform_type(PlatformType::marinodeck, s, serial);
    EXPECT_EQ(serial.line.baud_rate, 19200u);
    EXPECT_EQ(serial.line.parity, 1);
    EXPECT_EQ(serial.line.data_bits, 8);
    EXPECT_EQ(serial.line.stop_bits, 1);
    EXPECT_EQ(serial.slave_address, 71);
    EXPECT_EQ(serial.line.path, "/dev/ttyUSB0");
    EXPECT_EQ(s.direction, Direction::fixed);
    EXPECT_STREQ(serial_group_title(PlatformType::marinodeck), "RS485 Communication Parameters");
    EXPECT_STREQ(serial_group_title(PlatformType::none), "Serial Communication Parameters");
    EXPECT_STREQ(serial_group_title(PlatformType::eti), "RS232 Communication Parameters");

    apply_platform_type(PlatformType::korvane, s, serial);
    EXPECT_EQ(serial.line.baud_rate, 9600u);
    EXPECT_EQ(serial.line.parity, 0);
    EXPECT_EQ(serial.slave_address, 0);
    EXPECT_EQ(s.direction, Direction::alternating);
    EXPECT_TRUE(s.sampling);
    apply_platform_type(PlatformType::seaglider, s, serial);
    EXPECT_FALSE(s.sampling);

    s.min_depth_m = 20;
    apply_direction(Direction::surfaced, s);
    EXPECT_EQ(s.min_depth_m, 0);

    EXPECT_EQ(clamp_dive_number(70000), 65535);
    EXPECT_EQ(clamp_interval(0), 1u);
    EXPECT_EQ(clamp_interval(-5), 1u);
    EXPECT_EQ(clamp_interval(100000), 99999u);
    EXPECT_EQ(clamp_slave_address(300), 255);
}

TEST(PlatformSettings, FieldAvailabilityFollowsTypeDirectionAndOverride) {
    PlatformSettings s;
    auto a = field_availability(s, false);
    EXPECT_FALSE(a.update_interval || a.serial_port || a.direction || a.start || a.download);

    s.type = PlatformType::seaglider;
    s.direction = Direction::alternating;
    a = field_availability(s, false);
    EXPECT_TRUE(a.start && a.download && a.dive_number && a.enable_sampling && a.max_depth_and_rates);
    EXPECT_FALSE(a.sample_interval || a.salinity_temperature || a.line_settings);
    s.sampling = true;
    EXPECT_TRUE(field_availability(s, false).sample_interval);

    s.direction = Direction::surfaced;
    a = field_availability(s, false);
    EXPECT_FALSE(a.min_depth || a.max_depth_and_rates);
    s.direction = Direction::hovering;
    a = field_availability(s, false);
    EXPECT_TRUE(a.min_depth);
    EXPECT_FALSE(a.max_depth_and_rates);

    s.type = PlatformType::storm_logger;
    a = field_availability(s, true);
    EXPECT_FALSE(a.direction || a.min_depth || a.start || a.slave_address);
    EXPECT_TRUE(a.sample_interval && a.line_settings);

    s.type = PlatformType::marinodeck;
    EXPECT_TRUE(field_availability(s, true).slave_address);
    EXPECT_FALSE(field_availability(s, false).slave_address);
    EXPECT_FALSE(field_availability(s, true).start);

    s.type = PlatformType::eti;
    a = field_availability(s, false);
    EXPECT_TRUE(a.start && a.salinity_temperature && a.sample_interval);
    EXPECT_FALSE(a.download || a.dive_number || a.enable_sampling);
}

TEST(Simulation, DownloadEndsByItselfAndStopEndsAGliderThatGetsNoReplies) {
    ScriptedLine line;
    line.peer = [](const std::string& text) -> std::string {
        if (text != "\r\rdownload=1\r") return "";
        return " 3,1700000000,1.000,2.250,0.012,1,2,0,0,0,12.1\r 3,1700000001,2.000,2.500,0.012,1,2,0,0,0,12.1\rSC>";
    };
    Collected got;
    std::atomic<bool> finished{false};
    {
        Simulation sim;
        sim.start(line.port(), SimulationKind::download, {}, got.events(), [&] { finished = true; });
        while (!finished) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        sim.stop();
    }
    ASSERT_EQ(got.rows.size(), 2u);
    EXPECT_EQ(got.rows[1].cells[2], "2.500");

    // A glider whose sampler never gets an answer: Stop still returns (the reads are bounded).
    ScriptedLine silent;
    PlatformSettings s;
    s.sampling = true;
    s.sample_interval_s = 1;
    Simulation sim;
    Collected quiet;
    sim.start(silent.port(), SimulationKind::glider, s, quiet.events(), {},
              {std::chrono::milliseconds(1), std::chrono::milliseconds(500)});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    sim.stop();
    EXPECT_FALSE(sim.running());
}

}  // namespace
