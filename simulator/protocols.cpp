#include "simulator/protocols.h"

#include <algorithm>
#include <cstdio>
#include <semaphore>
#include <thread>

#include "common/text.h"

namespace quelmar::simulator {

using common::format_text;

namespace {

constexpr std::array<std::uint16_t, 256> make_crc_table() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = static_cast<std::uint16_t>(i);
        for (int b = 0; b < 8; ++b) c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ 0xA001) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr auto crc_table = make_crc_table();

std::string time_text(std::uint32_t seconds) { return common::sensor_time_text(seconds); }

void show(const SimulationEvents& e, const std::string& text) {
    if (e.status) e.status(text);
}
void add_row(const SimulationEvents& e, const ResultRow& row) {
    if (e.row) e.row(row);
}

// A reply as the status line may quote it: without its line end.
std::string quoted(std::string_view reply) {
    while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n')) reply.remove_suffix(1);
    return std::string(reply);
}

// What a timed-out wait on the port lock reports, as the status line shows it.
constexpr int lock_wait_timed_out = 258;

// A field value truncated to an integer as the sentence carries it; out-of-range values are
// held at the ends instead of overflowing.
int truncated(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483648.0, 2147483647.0));
}

// sscanf needs a terminated string; replies are bounded, so this copy is small.
std::string terminated(std::string_view s) { return std::string(s); }

}  // namespace

std::uint16_t crc16_arc(std::string_view bytes) {
    std::uint16_t crc = 0;
    for (unsigned char b : bytes) crc = static_cast<std::uint16_t>((crc >> 8) ^ crc_table[(crc ^ b) & 0xFF]);
    return crc;
}

std::string eti_sentence(std::string_view text) {
    return std::string(text) + format_text("*%04X\r\n", crc16_arc(text));
}

DepthWalk::DepthWalk(const PlatformSettings& s)
    : min_cm_(std::int64_t{s.min_depth_m} * 100),
      max_cm_(std::int64_t{s.max_depth_m} * 100),
      dive_step_(std::int64_t{s.dive_rate_cm_s} * s.update_interval_s),
      climb_step_(std::int64_t{s.climb_rate_cm_s} * s.update_interval_s),
      depth_(min_cm_ - dive_step_) {}

DepthWalk::Report DepthWalk::next() {
    // At a turn the depth stays where it was, so a depth beyond a limit is never reported.
    if (diving_) {
        const std::int64_t d = depth_ + dive_step_;
        if (d > max_cm_) diving_ = false;
        else depth_ = d;
    } else {
        const std::int64_t d = depth_ - climb_step_;
        if (d < min_cm_) diving_ = true;
        else depth_ = d;
    }
    return {diving_, depth_};
}

std::string glider_status_line(const DepthWalk::Report& r, const PlatformSettings& s) {
    return format_text("status=%c,%.2f,%d,%d,%d\r", r.diving ? 'a' : 'b',
                       static_cast<double>(r.depth_cm) / 100.0, s.p1, s.p2, s.p3);
}

std::string glider_clock_line(std::time_t now) {
    // The sensor keeps UTC, as the clock dialog sets it; the PC's local time would put it off
    // by the PC's time zone.
    std::tm t{};
    gmtime_r(&now, &t);
    return format_text("\r\rclock-set=%d,%d,%d,%d,%d,%d\r", t.tm_mday, t.tm_mon + 1,
                       t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
}

std::optional<ResultRow> parse_sample_reply(std::string_view reply) {
    if (reply.substr(0, 3) == "SC>") reply.remove_prefix(3);
    int time = 0, value = 0, temperature = 0, validity = 0, deviation = 0;
    if (std::sscanf(terminated(reply).c_str(), "%d,%d,%d,%d,%d", &time, &value, &temperature,
                    &validity, &deviation) != 5)
        return std::nullopt;
    ResultRow row;
    row.cells[1] = time_text(static_cast<std::uint32_t>(time));
    row.cells[2] = format_text("%.3f", value / 1000.0);
    row.cells[3] = format_text("%.3f", deviation / 1000.0);
    row.cells[4] = validity == 0 ? "good" : validity == 1 ? "bad" : "unknown";
    row.cells[8] = format_text("%.3f", temperature / 1000.0);
    return row;
}

std::optional<ResultRow> parse_download_line(std::string_view line) {
    // A prompt that arrived after the purge may stand in front of the first record.
    while (line.substr(0, 3) == "SC>") line.remove_prefix(3);
    unsigned dive = 0, time = 0, validity = 0, direction = 0;
    double depth = 0, value = 0, deviation = 0, supply = 0;
    int p1 = 0, p2 = 0, p3 = 0;
    if (std::sscanf(terminated(line).c_str(), " %u,%u,%lf,%lf,%lf,%u,%u,%d,%d,%d,%lf", &dive, &time,
                    &depth, &value, &deviation, &validity, &direction, &p1, &p2, &p3, &supply) != 11)
        return std::nullopt;
    static constexpr const char* directions[] = {"unknown", "surfaced", "diving", "climbing", "hovering"};
    ResultRow row;
    row.cells = {format_text("%u", dive),
                 time_text(time),
                 format_text("%.3f", value),
                 format_text("%.3f", deviation),
                 validity == 1 ? "good" : validity == 2 ? "bad" : "unknown",
                 format_text("%.3f", depth),
                 directions[direction <= 4 ? direction : 0],
                 format_text("%.3f", 0.0),
                 format_text("%.3f", 0.0),
                 format_text("%d", p1),
                 format_text("%d", p2),
                 format_text("%d", p3),
                 format_text("%.1f", supply)};
    return row;
}

EtiCheck check_eti_checksum(std::string_view reply) {
    EtiCheck check;
    const auto star = reply.find('*');
    unsigned received = 0;
    if (reply.substr(0, 4) != "$CMD" || star == std::string_view::npos ||
        std::sscanf(terminated(reply.substr(star + 1)).c_str(), "%x", &received) != 1) {
        check.error = format_text("Ignoring >>%s<<", quoted(reply).c_str());
        return check;
    }
    const std::uint16_t computed = crc16_arc(reply.substr(0, star));
    if (computed != received) {
        check.error = format_text("Invalid CRC (%04X != %04X)", computed, received);
        return check;
    }
    check.ok = true;
    return check;
}

namespace {

// The port lock the glider thread and its sampler share: each holds it for one write (and the
// sampler for its reply), and gives up a report when it cannot get it in time.
class PortLock {
public:
    bool try_lock_for(std::chrono::milliseconds wait) { return free_.try_acquire_for(wait); }
    void unlock() { free_.release(); }

private:
    std::binary_semaphore free_{1};
};

// Holds the port lock for one exchange.
class PortLockHold {
public:
    PortLockHold(PortLock& lock, std::chrono::milliseconds wait)
        : lock_(lock), held_(lock.try_lock_for(wait)) {}
    ~PortLockHold() { unlock(); }
    explicit operator bool() const { return held_; }
    void unlock() {
        if (held_) lock_.unlock();
        held_ = false;
    }

private:
    PortLock& lock_;
    bool held_;
};

// The sampler: every sample interval, one "sample" under the port lock.
void run_sampler(SerialPort& port, PortLock& lock, const PlatformSettings& s,
                 const SimulationEvents& events, common::StopSignal& stop, SimulationTiming timing) {
    if (events.clear_rows) events.clear_rows();
    while (!stop.wait_for_stop(timing.second * s.sample_interval_s)) {
        PortLockHold guard(lock, timing.lock_wait);
        if (!guard) {
            show(events, format_text("Wait on Mutex failed (%d)", lock_wait_timed_out));
            continue;
        }
        port.purge();
        std::string reply;
        ReadResult r = port.write("sample\r") ? read_reply(port, "\r", reply, &stop)
                                                  : ReadResult::no_reply;
        guard.unlock();
        if (r == ReadResult::stopped) break;
        if (r != ReadResult::ok) {
            show(events, read_error_text("RS232 read error", r));
            continue;
        }
        if (auto row = parse_sample_reply(reply)) add_row(events, *row);
        else show(events, format_text("Invalid response (%s)", quoted(reply).c_str()));
    }
}

}  // namespace

void run_glider(SerialPort& port, const PlatformSettings& s, const SimulationEvents& events,
                common::StopSignal& stop, SimulationTiming timing,
                std::function<std::time_t()> now) {
    port.write("\r\r");
    port.purge();
    port.write(glider_clock_line(now()));
    port.purge();
    port.write(format_text("\r\rstart=%04d\r", s.dive_number));
    port.purge();

    PortLock port_lock;
    common::StopSignal sampler_stop;
    std::thread sampler;
    if (s.sampling)
        sampler = std::thread([&] { run_sampler(port, port_lock, s, events, sampler_stop, timing); });

    DepthWalk walk(s);
    do {
        const DepthWalk::Report r = walk.next();
        PortLockHold guard(port_lock, timing.lock_wait);
        if (!guard) {
            show(events, format_text("Wait on Mutex failed (%d)", lock_wait_timed_out));
            continue;
        }
        port.purge();
        port.write(glider_status_line(r, s));
        guard.unlock();
        show(events, format_text("Depth: %.2f, Direction: %s", static_cast<double>(r.depth_cm) / 100.0,
                                 r.diving ? "dive" : "climb"));
    } while (!stop.wait_for_stop(timing.second * s.update_interval_s));

    sampler_stop.request_stop();
    if (sampler.joinable()) sampler.join();
}

void run_glider_download(SerialPort& port, const SimulationEvents& events, common::StopSignal& stop) {
    if (events.clear_rows) events.clear_rows();
    port.write("\r\r");
    port.purge();
    port.write("\r\rdownload=1\r");
    std::string reply;
    while (read_reply(port, "\r", reply, &stop) == ReadResult::ok) {
        if (auto row = parse_download_line(reply)) add_row(events, *row);
    }
}

namespace {

// Sends one sentence and reads its reply; the reply text when it came.
ReadResult eti_exchange(SerialPort& port, const std::string& text, std::string& reply,
                        common::StopSignal& stop) {
    port.purge();
    if (!port.write(eti_sentence(text))) return ReadResult::no_reply;
    return read_reply(port, "\r\n", reply, &stop);
}

}  // namespace

void run_eti(SerialPort& port, const PlatformSettings& s, const SimulationEvents& events,
             common::StopSignal& stop, SimulationTiming timing, std::function<std::time_t()> now) {
    const auto interval = timing.second * s.sample_interval_s;
    std::string reply;
    int state = 0;

    // Wake-up: until the sensor reports a state other than 0.
    for (;;) {
        const ReadResult r = eti_exchange(port, "$CMD,0", reply, stop);
        if (r == ReadResult::stopped) return;
        if (r != ReadResult::ok) {
            show(events, read_error_text("RS232 read error", r));
        } else {
            int command = -1, st = 0;
            unsigned supply = 0, temperature = 0, crc = 0;
            if (std::sscanf(reply.c_str(), "$CMD,%d,%u,%u,%d*%x", &command, &supply, &temperature,
                            &st, &crc) != 5 ||
                command != 0) {
                show(events, format_text("Ignoring >>%s<<", quoted(reply).c_str()));
            } else if (const EtiCheck c = check_eti_checksum(reply); !c.ok) {
                show(events, c.error);
            } else {
                show(events, format_text("state=%d, supply=%.1f, temperature=%.2f", st,
                                         supply / 10.0, temperature / 10.0));
                state = st;
                if (state != 0) break;
            }
        }
        if (stop.wait_for_stop(interval)) return;
    }

    // Working: hand over time and platform data, and collect a result when one is ready.
    while (!stop.stop_requested()) {
        if (state == 1 || state == 3) {
            const ReadResult r = eti_exchange(
                port, format_text("$CMD,2,%d", static_cast<int>(now())), reply, stop);
            if (r == ReadResult::stopped) return;
            if (r == ReadResult::ok) {
                for (;;) {
                    const std::string data = format_text(
                        "$CMD,1,%d,%d,%d,%d,%d,%d", truncated(s.salinity * 100),
                        truncated(s.temperature * 1000), truncated(s.min_depth_m * 10.0), s.p1,
                        s.p2, s.p3);
                    const ReadResult d = eti_exchange(port, data, reply, stop);
                    if (d == ReadResult::stopped) return;
                    if (d != ReadResult::ok) {
                        show(events, read_error_text("RS232 read error", d));
                    } else {
                        int command = -1;
                        unsigned st = 0, crc = 0;
                        if (std::sscanf(reply.c_str(), "$CMD,%d,%u*%x", &command, &st, &crc) != 3 ||
                            command != 1) {
                            show(events, format_text("Ignoring >>%s<<", quoted(reply).c_str()));
                        } else if (const EtiCheck c = check_eti_checksum(reply); !c.ok) {
                            show(events, c.error);
                        } else {
                            state = static_cast<int>(st);
                            show(events, format_text("state=%d", state));
                            if (state != 2) break;
                        }
                    }
                    if (stop.wait_for_stop(interval)) return;
                }
            } else {
                show(events, read_error_text("RS232 read error", r));
            }
        }
        if (state == 3) {
            const ReadResult r = eti_exchange(port, "$CMD,3", reply, stop);
            if (r == ReadResult::stopped) return;
            if (r != ReadResult::ok) {
                show(events, read_error_text("RS232 read error still", r));
            } else {
                int command = -1, temperature = 0;
                unsigned time = 0, value = 0, crc = 0;
                if (std::sscanf(reply.c_str(), "$CMD,%d,%u,%u,%d*%x", &command, &time, &value,
                                &temperature, &crc) != 5 ||
                    command != 3) {
                    show(events, format_text("Ignoring >>%s<<", quoted(reply).c_str()));
                } else if (const EtiCheck c = check_eti_checksum(reply); !c.ok) {
                    show(events, c.error);
                } else {
                    show(events, format_text("time=%d,value=%.3f,temp=%.3f", static_cast<int>(time),
                                             value / 1000.0, temperature / 1000.0));
                    ResultRow row;
                    row.cells[0] = "0";
                    row.cells[1] = time_text(time);
                    row.cells[2] = format_text("%.3f", value / 1000.0);
                    row.cells[8] = format_text("%.3f", temperature / 1000.0);
                    add_row(events, row);
                }
            }
        }
        if (stop.wait_for_stop(interval)) return;
    }
}

}  // namespace quelmar::simulator
