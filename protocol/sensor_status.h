#pragma once
// The one-byte status of every sensor command: the reply's status byte, or 14 when no reply
// was received. Any value is possible; these are the ones the program acts on.

#include <cstdint>

namespace quelmar::protocol {

using SensorStatus = std::uint8_t;

namespace status {
constexpr SensorStatus ok = 0;
constexpr SensorStatus wrong_record_length = 4;   // 402/403: no record of that length
constexpr SensorStatus voltage_too_low = 6;       // 437; 418 still carries the mode byte
constexpr SensorStatus optics_unknown = 8;        // 626 unknown: repeat as 370
constexpr SensorStatus command_unknown = 9;       // 260/261/262 unknown: use 256/257
constexpr SensorStatus exchange_failed = 14;      // no reply (any link failure)
}  // namespace status

}  // namespace quelmar::protocol
