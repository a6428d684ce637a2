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
