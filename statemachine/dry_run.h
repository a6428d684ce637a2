#pragma once
// The listing of the whole machine and the dry run that follows it from a start state as the
// sensor would step through it. Neither changes the machine.

#include <cstdint>
#include <string>
#include <vector>

#include "statemachine/state_machine.h"
#include "statemachine/state_text.h"

namespace quelmar::statemachine {

constexpr std::size_t dry_run_row_limit = 1000;
constexpr std::uint8_t no_timeout_state = 255;

enum class ListingMode { definition = 0, dry_run = 1 };
enum class WalkEnd { end_state, invalid_reference, limit };

struct Listing {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::uint32_t> row_states;  // the state each row shows
    WalkEnd end = WalkEnd::end_state;
    std::uint32_t invalid_state = 0;  // the offending reference when end is invalid_reference
};

// Where the sensor goes on leaving `record`: its default next, overridden by each counter that
// fires (a later counter wins). Updates the counters as the sensor does (wrapping at 256).
// Time-out and depth triggers are not considered here.
std::uint32_t next_state_by_counters(const StateRecord& record, CounterValues& counters);

// Definition: every state in order (start and time-out ignored). Dry run: the walk from
// `start`, with the pump of `timeout_state` (or no_timeout_state) simulated to time out on
// its first visit. Both values are expected already clamped.
Listing build_listing(const StateMachine& machine, ListingMode mode, std::uint32_t start = 0,
                      std::uint32_t timeout_state = no_timeout_state);

// "State Machine %s (%d states)".
std::string listing_title(const StateMachine& machine, ListingMode mode);
// The end message of a dry run (empty for the definition listing).
std::string dry_run_end_message(const StateMachine& machine, const Listing& listing);
// The start and time-out numbers as typed: clamped to the last state.
std::uint32_t clamp_state_number(std::uint64_t typed, const StateMachine& machine);

}  // namespace quelmar::statemachine
