#include "simulator/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/text.h"

namespace quelmar::simulator {

std::string read_error_text(const char* lead, ReadResult r) {
    std::string text = common::format_text("%s (%d)", lead, read_error_code(r));
    if (r == ReadResult::too_long)
        text += common::format_text(": reply too long (more than %zu characters)", max_reply_length);
    return text;
}

ReadResult read_reply(SerialPort& port, std::string_view terminator, std::string& reply,
                      const common::StopSignal* stop, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    reply.clear();
    const auto deadline = Clock::now() + timeout;
    // Short slices, so that a stop request is seen promptly.
    constexpr std::chrono::milliseconds slice{50};
    for (;;) {
        if (stop && stop->stop_requested()) return ReadResult::stopped;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return ReadResult::no_reply;
        char c = 0;
        if (!port.read_byte(c, std::min(left, slice))) continue;
        if (reply.size() >= max_reply_length) return ReadResult::too_long;
        reply.push_back(c);
        if (reply.size() >= terminator.size() &&
            std::string_view(reply).substr(reply.size() - terminator.size()) == terminator)
            return ReadResult::ok;
    }
}

namespace {

speed_t speed_of(std::uint32_t baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
#ifdef B14400
        case 14400: return B14400;
#endif
        default: return 0;
    }
}

struct PosixFd {
    int fd = -1;
    ~PosixFd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

SerialPort open_posix_port(const SerialSettings& s, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return SerialPort{};
    };
    const int fd = ::open(s.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(std::strerror(errno));
    auto holder = std::make_shared<PosixFd>();
    holder->fd = fd;
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return fail(std::strerror(errno));
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~CSIZE;
    switch (s.data_bits) {
        case 5: t.c_cflag |= CS5; break;
        case 6: t.c_cflag |= CS6; break;
        case 7: t.c_cflag |= CS7; break;
        default: t.c_cflag |= CS8; break;
    }
    t.c_cflag &= ~(PARENB | PARODD);
#ifdef CMSPAR
    t.c_cflag &= ~CMSPAR;
#endif
    switch (s.parity) {
        case 1: t.c_cflag |= PARENB; break;
        case 2: t.c_cflag |= PARENB | PARODD; break;
#ifdef CMSPAR
        case 3: t.c_cflag |= PARENB | CMSPAR; break;
        case 4: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
#endif
        default: break;
    }
    if (s.stop_bits == 2) t.c_cflag |= CSTOPB; else t.c_cflag &= ~CSTOPB;
    // A baud rate the terminal does not know is kept as it is (a pseudo-terminal has none).
    if (const speed_t sp = speed_of(s.baud_rate)) {
        ::cfsetispeed(&t, sp);
        ::cfsetospeed(&t, sp);
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return fail(std::strerror(errno));

    SerialPort port;
    port.write = [holder](std::string_view text) {
        std::size_t done = 0;
        int idle = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(holder->fd, text.data() + done, text.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            pollfd p{holder->fd, POLLOUT, 0};
            if (::poll(&p, 1, static_cast<int>(read_timeout.count())) <= 0 || ++idle > 4) return false;
        }
        return true;
    };
    port.read_byte = [holder](char& c, std::chrono::milliseconds timeout) {
        pollfd p{holder->fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return false;
        if (!(p.revents & POLLIN)) {
            // A hung-up line would make poll return at once every time: wait out the slice.
            if (p.revents & (POLLHUP | POLLERR)) ::poll(nullptr, 0, static_cast<int>(timeout.count()));
            return false;
        }
        return ::read(holder->fd, &c, 1) == 1;
    };
    port.purge = [holder] { ::tcflush(holder->fd, TCIFLUSH); };
    port.close = [holder] {
        if (holder->fd >= 0) ::close(holder->fd);
        holder->fd = -1;
    };
    return port;
}

}  // namespace quelmar::simulator
