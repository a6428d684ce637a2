#pragma once
// The serial line to the sensor, as the protocols see it: write a text, read one byte with a
// time-out, discard waiting input. A port is a small record of functions, so the same protocol
// code runs over a POSIX terminal (command line, core tests) or over QSerialPort (the window).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/stop_signal.h"

namespace quelmar::simulator {

// Line settings. Parity: 0 None, 1 Even, 2 Odd, 3 Space, 4 Mark (the dialog's order).
struct SerialSettings {
    std::string path;
    std::uint32_t baud_rate = 9600;
    std::uint8_t data_bits = 8;
    std::uint8_t parity = 0;
    std::uint8_t stop_bits = 1;
};

struct SerialPort {
    std::function<bool(std::string_view)> write;
    // One byte within `timeout`; false when none came (or the port failed).
    std::function<bool(char&, std::chrono::milliseconds)> read_byte;
    std::function<void()> purge;
    std::function<void()> close;
};

// Every read of a reply must be complete within this: a sensor that sends and sends without
// its terminator cannot hold the port (and its lock) longer than one read time-out.
constexpr std::chrono::milliseconds read_timeout{500};
// The longest reply, terminator included; the sensor's replies are well below it.
constexpr std::size_t max_reply_length = 99;

enum class ReadResult { ok, no_reply, too_long, stopped };

// The numbers the status line shows with "RS232 read error (%d)".
constexpr int read_error_code(ReadResult r) { return r == ReadResult::too_long ? 2 : 1; }
// "RS232 read error (1)", or for an over-long reply "RS232 read error (2): reply too long".
std::string read_error_text(const char* lead, ReadResult r);

// Reads one reply ending in `terminator` ("\r" or "\r\n"; it stays in the text). Stops early
// when `stop` is requested, so a Stop is never held up by more than a short slice.
ReadResult read_reply(SerialPort& port, std::string_view terminator, std::string& reply,
                      const common::StopSignal* stop = nullptr,
                      std::chrono::milliseconds timeout = read_timeout);

// A POSIX terminal (termios) opened raw with these line settings; an empty port (no
// functions) when it cannot be opened, with the reason in `error`. Mark and space parity are
// not offered by every terminal driver: they fall back to none where unsupported.
SerialPort open_posix_port(const SerialSettings& settings, std::string* error = nullptr);

}  // namespace quelmar::simulator
