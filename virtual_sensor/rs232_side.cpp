#include "virtual_sensor/rs232_side.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/text.h"
#include "protocol/commands.h"
#include "simulator/protocols.h"
#include "virtual_sensor/rs232_platform.h"

namespace quelmar::virtual_sensor {

using common::format_text;

namespace {

// The sensor keeps the latest results of a deployment, as its card would hold them.
constexpr std::size_t max_results = 10000;
// A line longer than this is noise on the line; it is dropped.
constexpr std::size_t max_line = 255;
// Depths beyond any ocean are a garbled line, not a position.
constexpr double max_depth_m = 100000;

std::string trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == '\n' || s[b] == ' ')) ++b;
    while (e > b && (s[e - 1] == '\n' || s[e - 1] == ' ')) --e;
    return s.substr(b, e - b);
}

void write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    int idle = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 200) <= 0 && ++idle > 5) return;  // nobody reads: drop the rest
    }
}

}  // namespace

Rs232Side::Rs232Side(VirtualSensor& sensor) : sensor_(sensor) {}

Rs232Side::~Rs232Side() { close(); }

bool Rs232Side::open(std::string* error) {
    close();
    auto fail = [&](const char* what) {
        if (error) *error = format_text("%s: %s", what, std::strerror(errno));
        close();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("unlockpt");
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open");
    // Raw, like a serial line: no echo, no line-end translation.
    termios t{};
    if (::tcgetattr(slave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    stop_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void Rs232Side::close() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void Rs232Side::serve() {
    std::string line;
    bool overlong = false;
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) continue;
        char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c != '\r') {
                if (line.size() < max_line) line.push_back(c);
                else overlong = true;
                continue;
            }
            if (!overlong) {
                const std::string reply = answer(trimmed(line));
                if (!reply.empty()) write_all(master_, reply);
            }
            line.clear();
            overlong = false;
        }
    }
}

std::string Rs232Side::answer(const std::string& line) {
    if (line.rfind("$CMD", 0) == 0) return answer_eti(line);
    return answer_glider(line);
}

std::uint32_t Rs232Side::sensor_time() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(std::time(nullptr) + clock_offset_);
}

void Rs232Side::set_clock(std::int64_t utc) {
    {
        std::lock_guard lock(mutex_);
        clock_offset_ = utc - std::time(nullptr);
    }
    // The clock record reads back what the host set.
    const std::time_t t = static_cast<std::time_t>(utc);
    std::tm tm{};
    gmtime_r(&t, &tm);
    const auto year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    sensor_.set_record(protocol::cmd::read_clock,
                       {0, static_cast<std::uint8_t>(year & 0xFF), static_cast<std::uint8_t>(year >> 8),
                        static_cast<std::uint8_t>(tm.tm_mon + 1), static_cast<std::uint8_t>(tm.tm_mday),
                        static_cast<std::uint8_t>(tm.tm_hour), static_cast<std::uint8_t>(tm.tm_min),
                        static_cast<std::uint8_t>(tm.tm_sec)});
}

Rs232Result Rs232Side::take_result() {
    Rs232Result r;
    r.time = sensor_time();
    const auto fed = fed_platform_data(sensor_);
    if (fed) {
        r.depth_m = fed->depth;
        r.direction = fed->direction;
        r.p1 = fed->p1;
        r.p2 = fed->p2;
        r.p3 = fed->p3;
    }
    r.value_milli = static_cast<std::int32_t>(std::lround((2.0 + 0.25 * r.depth_m) * 1000.0));
    r.deviation_milli = 12;
    r.supply_v = sensor_.options().supply_mv / 1000.0;
    r.temperature_mdegc = sensor_.options().temperature_mdegc;
    std::lock_guard lock(mutex_);
    r.dive = dive_;
    if (results_.size() >= max_results) results_.erase(results_.begin());
    results_.push_back(r);
    return r;
}

std::string Rs232Side::answer_glider(const std::string& line) {
    const std::string prompt = "SC>";
    int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
    if (line.empty()) return {};  // a wake-up: answered by listening
    if (std::sscanf(line.c_str(), "clock-set=%d,%d,%d,%d,%d,%d", &d, &mo, &y, &h, &mi, &s) == 6) {
        std::tm tm{};
        tm.tm_mday = d;
        tm.tm_mon = mo - 1;
        tm.tm_year = y - 1900;
        tm.tm_hour = h;
        tm.tm_min = mi;
        tm.tm_sec = s;
        set_clock(static_cast<std::int64_t>(timegm(&tm)));
        return prompt;
    }
    unsigned dive = 0;
    if (std::sscanf(line.c_str(), "start=%u", &dive) == 1) {
        std::lock_guard lock(mutex_);
        dive_ = static_cast<std::uint16_t>(std::min(dive, 65535u));
        return prompt;
    }
    char direction = 0;
    double depth = 0;
    int p1 = 0, p2 = 0, p3 = 0;
    if (std::sscanf(line.c_str(), "status=%c,%lf,%d,%d,%d", &direction, &depth, &p1, &p2, &p3) == 5 &&
        std::isfinite(depth) && std::fabs(depth) < max_depth_m) {
        auto feed = platform_feed(sensor_);
        {
            std::lock_guard lock(feed->mutex);
            protocol::PlatformData p = feed->data.value_or(protocol::PlatformData{});
            p.depth = static_cast<float>(depth);
            p.direction = direction == 'a' ? 2 : direction == 'b' ? 3 : 0;
            p.p1 = p1;
            p.p2 = p2;
            p.p3 = p3;
            feed->data = p;
            feed->time = sensor_time();
        }
        take_result();
        return prompt;
    }
    if (line == "sample") {
        std::optional<Rs232Result> latest;
        {
            std::lock_guard lock(mutex_);
            if (!results_.empty()) latest = results_.back();
        }
        if (!latest) latest = take_result();
        return format_text("%u,%d,%d,%d,%d\r", latest->time, latest->value_milli,
                           latest->temperature_mdegc, 0, latest->deviation_milli) + prompt;
    }
    if (line == "download=1") {
        std::string out;
        for (const Rs232Result& r : results()) {
            out += format_text(" %u,%u,%.3f,%.3f,%.3f,%u,%u,%d,%d,%d,%.1f\r", r.dive, r.time, r.depth_m,
                               r.value_milli / 1000.0, r.deviation_milli / 1000.0, 1u,
                               static_cast<unsigned>(r.direction), r.p1, r.p2, r.p3, r.supply_v);
        }
        return out + prompt;
    }
    return "?\r" + prompt;  // a command the sensor does not know
}

std::string Rs232Side::answer_eti(const std::string& line) {
    const auto star = line.find('*');
    unsigned crc = 0;
    if (star == std::string::npos || std::sscanf(line.c_str() + star + 1, "%x", &crc) != 1 ||
        crc != simulator::crc16_arc(std::string_view(line).substr(0, star)))
        return {};
    const std::string text = line.substr(0, star);
    int command = -1;
    if (std::sscanf(text.c_str(), "$CMD,%d", &command) != 1) return {};
    switch (command) {
        case 0: {
            int state;
            {
                std::lock_guard lock(mutex_);
                state = eti_state_;
                if (eti_state_ == 0) eti_state_ = 1;  // this one wakes it
            }
            return simulator::eti_sentence(format_text(
                "$CMD,0,%d,%d,%d", sensor_.options().supply_mv / 100,
                sensor_.options().temperature_mdegc / 100, state));
        }
        case 2: {
            long long t = 0;
            if (std::sscanf(text.c_str(), "$CMD,2,%lld", &t) != 1) return {};
            set_clock(t);
            return simulator::eti_sentence("$CMD,2");
        }
        case 1: {
            int sal = 0, temp = 0, depth = 0, p1 = 0, p2 = 0, p3 = 0;
            if (std::sscanf(text.c_str(), "$CMD,1,%d,%d,%d,%d,%d,%d", &sal, &temp, &depth, &p1, &p2,
                            &p3) != 6)
                return {};
            auto feed = platform_feed(sensor_);
            {
                std::lock_guard lock(feed->mutex);
                protocol::PlatformData p = feed->data.value_or(protocol::PlatformData{});
                p.salinity = static_cast<float>(sal / 100.0);
                p.temperature = static_cast<float>(temp / 1000.0);
                p.depth = static_cast<float>(depth / 10.0);
                p.p1 = p1;
                p.p2 = p2;
                p.p3 = p3;
                feed->data = p;
                feed->time = sensor_time();
            }
            int state;
            {
                std::lock_guard lock(mutex_);
                // The first data starts a measurement; the next finds its result ready.
                eti_state_ = eti_state_ == 2 ? 3 : eti_state_ == 3 ? 3 : 2;
                state = eti_state_;
            }
            if (state == 3) take_result();
            return simulator::eti_sentence(format_text("$CMD,1,%d", state));
        }
        case 3: {
            std::optional<Rs232Result> latest;
            {
                std::lock_guard lock(mutex_);
                if (!results_.empty()) latest = results_.back();
                eti_state_ = 1;
            }
            if (!latest) latest = take_result();
            return simulator::eti_sentence(format_text("$CMD,3,%u,%d,%d", latest->time, latest->value_milli,
                                                       latest->temperature_mdegc));
        }
        default: return {};
    }
}

std::vector<Rs232Result> Rs232Side::results() const {
    std::lock_guard lock(mutex_);
    return results_;
}
std::uint16_t Rs232Side::dive() const {
    std::lock_guard lock(mutex_);
    return dive_;
}
int Rs232Side::eti_state() const {
    std::lock_guard lock(mutex_);
    return eti_state_;
}
std::int64_t Rs232Side::clock_offset() const {
    std::lock_guard lock(mutex_);
    return clock_offset_;
}

}  // namespace quelmar::virtual_sensor
