#pragma once
// Little-endian byte access for the sensor's packed records. Every record codec goes through
// these helpers so that no struct is ever copied onto the wire.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace quelmar::common {

inline std::uint16_t get_u16le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t get_u32le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int16_t get_i16le(const std::uint8_t* p) {
    return static_cast<std::int16_t>(get_u16le(p));
}
inline std::int32_t get_i32le(const std::uint8_t* p) {
    return static_cast<std::int32_t>(get_u32le(p));
}
inline float get_f32le(const std::uint8_t* p) { return std::bit_cast<float>(get_u32le(p)); }

inline void put_u16le(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put_u32le(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void put_i16le(std::uint8_t* p, std::int16_t v) {
    put_u16le(p, static_cast<std::uint16_t>(v));
}
inline void put_i32le(std::uint8_t* p, std::int32_t v) {
    put_u32le(p, static_cast<std::uint32_t>(v));
}
inline void put_f32le(std::uint8_t* p, float v) { put_u32le(p, std::bit_cast<std::uint32_t>(v)); }

// A NUL-terminated text field of a fixed-size record: reads at most `size` bytes and stops at
// the first NUL, so a field the device left unterminated never reads past the record.
inline std::string get_text(const std::uint8_t* p, std::size_t size) {
    std::size_t n = 0;
    while (n < size && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Writes `text` into a fixed-size field: at most size-1 characters, the rest zero-filled.
inline void put_text(std::uint8_t* p, std::size_t size, const std::string& text) {
    if (size == 0) return;
    std::memset(p, 0, size);
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(p, text.data(), n);
}

}  // namespace quelmar::common
