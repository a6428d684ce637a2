#pragma once
// The two state machine file formats: ".asm", the 77-byte records exactly as the sensor holds
// them, and the older ".dat" with 102-byte records. Neither has a header; the number of states
// is the file size divided by the record size.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "statemachine/state_machine.h"

namespace quelmar::statemachine {

constexpr std::size_t dat_record_size = 102;

enum class StateFileFormat { asm77, dat102 };

// By the first letter of the extension: "d" or "D" is the 102-byte format, anything else
// (also no extension) the 77-byte one.
StateFileFormat state_file_format(const std::string& path);
std::size_t state_file_record_size(StateFileFormat format);

// A ".dat" record as it lies in the file. It keeps a state in another shape (a byte per valve,
// one flag per stop condition, LED drive codes, groups in another byte order); the conversion
// to and from a StateRecord is apart from the layout.
struct DatGroup {
    std::uint8_t increment = 0;
    std::uint8_t next = 0;
    std::uint8_t maximum = 0;  // or, for a trigger group, the level
    std::uint8_t reset = 0;    // non-zero: the counter resets
};

struct DatRecord {
    std::uint8_t default_next = 0;
    std::uint32_t delay_s = 0;
    std::uint8_t delay_in_seconds = 0;  // 1: wait the delay; else wait for the schedule
    std::uint8_t mode = 0;              // 0 operating, 1 sleeping, else idle
    std::array<std::uint8_t, 16> valve_open{};
    std::uint8_t hall_power = 0;
    std::uint8_t photodiode_power = 0;
    std::array<std::uint16_t, 4> led_code{};  // 0xFFFF on; else a drive code
    std::uint8_t pump_direction = 0;          // 1 withdraw
    std::uint8_t pump_running = 0;            // 3 runs
    std::uint8_t stop_on_hall = 0;
    std::uint8_t stop_on_steps = 0;
    std::uint8_t stop_on_time = 0;
    std::uint16_t winding_current_ma = 0;
    std::uint32_t step_period_us = 0;
    std::uint32_t step_count = 0;
    std::uint32_t stop_time_s = 0;
    std::uint8_t timeout_next = 0;
    std::array<std::uint16_t, 2> pump_reserved{};
    std::uint8_t microstep_divisor = 0;  // 16, 8, 4, 2 or 1
    std::uint8_t switch_on = 0;
    std::uint8_t switch_off = 0;
    std::array<DatGroup, 8> groups{};  // counters 1..6, diving, climbing
};

template <class Io>
constexpr void fields(Io& io, DatGroup& g) {
    io.u8(g.increment);
    io.u8(g.next);
    io.u8(g.maximum);
    io.u8(g.reset);
}

// Reserved bytes are written as 0 and ignored on reading.
template <class Io>
constexpr void fields(Io& io, DatRecord& r) {
    io.skip(1);
    io.u8(r.default_next);
    io.u32(r.delay_s);
    io.u8(r.delay_in_seconds);
    io.u8(r.mode);
    io.u8(r.valve_open);
    io.u8(r.hall_power);
    io.u8(r.photodiode_power);
    io.skip(5);
    io.u16(r.led_code);
    io.u8(r.pump_direction);
    io.u8(r.pump_running);
    io.u8(r.stop_on_hall);
    io.u8(r.stop_on_steps);
    io.u8(r.stop_on_time);
    io.u16(r.winding_current_ma);
    io.u32(r.step_period_us);
    io.u32(r.step_count);
    io.u32(r.stop_time_s);
    io.u8(r.timeout_next);
    io.u16(r.pump_reserved);
    io.u8(r.microstep_divisor);
    io.u8(r.switch_on);
    io.u8(r.switch_off);
    io.skip(3);
    io.group(r.groups);
    io.skip(1);
}

static_assert(common::record_size<DatRecord>() == dat_record_size);

DatRecord dat_record_of(const StateRecord& record);
StateRecord state_record_of(const DatRecord& record);

using DatBytes = std::array<std::uint8_t, dat_record_size>;
// The 102-byte record lacks several fields (sync value, hibernating, the action of a counter
// whose maximum decides it), so the conversion loses them; a decoded record has format_flag 0
// and is brought into current form by normalise_states.
DatBytes encode_dat_record(const StateRecord& record);
StateRecord decode_dat_record(std::span<const std::uint8_t, dat_record_size> bytes);

// Loads records from the bytes of a file: at most 255 whole records, a short final record
// ignored; then normalises. An empty file leaves one all-zero (then normalised) state 0. The
// current state becomes 0. Returns the number of records read.
std::size_t load_state_bytes(std::span<const std::uint8_t> bytes, StateFileFormat format,
                             StateMachine& machine);
// The file bytes of states 0..last_state_index.
std::vector<std::uint8_t> save_state_bytes(const StateMachine& machine, StateFileFormat format);

enum class FileResult { ok, open_failed, read_failed, write_failed };

// Reads `path` in the format its extension selects. On failure the machine is the empty one
// (one default state).
FileResult load_state_file(const std::string& path, StateMachine& machine,
                           const StateDefaults& defaults);
// Writes states 0..last_state_index in the format the extension selects. The file is written
// beside the target and moved into place only when complete, so a failed save leaves an
// existing file as it was.
FileResult save_state_file(const std::string& path, const StateMachine& machine);

}  // namespace quelmar::statemachine
