#pragma once
// The text of one state as the listing and the dry run show it: 18 columns per state.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "statemachine/state_machine.h"
#include "statemachine/state_record.h"

namespace quelmar::statemachine {

constexpr std::size_t column_count = 18;

struct ColumnInfo {
    const char* title;
    int width_chars;  // in average character widths of the dialog font
};
const std::array<ColumnInfo, column_count>& state_columns();
std::vector<std::string> state_column_titles();

using CounterValues = std::array<std::uint8_t, counter_count>;

// The text of `column` (0..17) of `record`, shown as state number `state`. With `counters` (a
// dry run) an "Inc & Test" cell shows the value the state is about to test instead of the
// increment. Values outside the known codes are named raw, never looked up.
std::string describe_state(std::uint32_t state, const StateRecord& record, std::size_t column,
                           const CounterValues* counters = nullptr);
// Every column of one row; `state` is the state number shown in column 0.
std::vector<std::string> describe_state_row(std::uint32_t state, const StateRecord& record,
                                            const CounterValues* counters = nullptr);

// "This state machine has %d states", or "State machine not loaded" for one state.
std::string machine_status_text(const StateMachine& machine);
// "STATE %03d".
std::string state_label_text(std::uint32_t state);

}  // namespace quelmar::statemachine
