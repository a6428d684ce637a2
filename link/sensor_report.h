#pragma once
// The 129-byte report of both directions of the sensor's USB HID protocol.
//
//   0      HID report id (stamped by the link)
//   1..2   command code, little-endian
//   3      sequence number (stamped by the link; the reply must carry the same value)
//   4      status (the device's, in a reply)
//   5      payload length
//   6..128 payload (at most 123 bytes)

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quelmar::link {

constexpr std::size_t report_size = 129;
constexpr std::size_t payload_capacity = 123;
constexpr std::size_t report_id_offset = 0;
constexpr std::size_t command_offset = 1;
constexpr std::size_t sequence_offset = 3;
constexpr std::size_t status_offset = 4;
constexpr std::size_t length_offset = 5;
constexpr std::size_t payload_offset = 6;

struct SensorReport {
    std::array<std::uint8_t, report_size> bytes{};

    std::uint16_t command() const {
        return static_cast<std::uint16_t>(bytes[command_offset] | (bytes[command_offset + 1] << 8));
    }
    void set_command(std::uint16_t code) {
        bytes[command_offset] = static_cast<std::uint8_t>(code);
        bytes[command_offset + 1] = static_cast<std::uint8_t>(code >> 8);
    }
    std::uint8_t report_id() const { return bytes[report_id_offset]; }
    std::uint8_t sequence() const { return bytes[sequence_offset]; }
    std::uint8_t status() const { return bytes[status_offset]; }
    void set_status(std::uint8_t s) { bytes[status_offset] = s; }
    std::uint8_t length() const { return bytes[length_offset]; }
    void set_length(std::uint8_t n) { bytes[length_offset] = n; }
    std::uint8_t* payload() { return bytes.data() + payload_offset; }
    const std::uint8_t* payload() const { return bytes.data() + payload_offset; }

    // A zero-filled request with its command code, length and payload set.
    static SensorReport request(std::uint16_t code, const void* payload = nullptr,
                                std::size_t length = 0) {
        SensorReport r;
        r.set_command(code);
        if (length > payload_capacity) length = payload_capacity;
        r.set_length(static_cast<std::uint8_t>(length));
        if (payload && length) std::memcpy(r.payload(), payload, length);
        return r;
    }
};

}  // namespace quelmar::link
