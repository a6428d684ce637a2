#include "statemachine/state_text.h"

#include "common/text.h"

namespace quelmar::statemachine {

using common::format_text;

const std::array<ColumnInfo, column_count>& state_columns() {
    static const std::array<ColumnInfo, column_count> columns = {{
        {"state", 5},
        {"mode", 8},
        {"valves open", 27},
        {"pump", 27},
        {"leds on", 9},
        {"pd5V", 5},
        {"rec", 4},
        {"delay", 6},
        {"default next", 11},
        {"counter1 trigger", 24},
        {"counter2 trigger", 24},
        {"counter3 trigger", 24},
        {"counter4 trigger", 24},
        {"counter5 trigger", 24},
        {"counter6 trigger", 24},
        {"diving depth trigger", 24},
        {"climbing depth trigger", 24},
        {"pump timeout trigger", 24},
    }};
    return columns;
}

std::vector<std::string> state_column_titles() {
    std::vector<std::string> titles;
    for (const auto& c : state_columns())
        titles.emplace_back(c.title);
    return titles;
}

namespace {
std::string mode_text(std::uint8_t m) {
    switch (m) {
        case mode::operating:
            return "operating";
        case mode::sleeping:
            return "sleeping";
        case mode::idle:
            return "idle";
        case mode::hibernating:
            return "hibernating";
        default:
            return format_text("unknown (%u)", m);
    }
}

std::string microstep_text(std::uint8_t code) {
    static const char* const names[] = {"16x", "8x", "4x", "2x", "1x"};
    if (code < std::size(names))
        return names[code];
    return format_text("unknown (%u)", code);
}

std::string stop_text(std::uint8_t code) {
    static const char* const names[] = {"hall", "steps", "time"};
    if (code < std::size(names))
        return names[code];
    return format_text("unknown (%u)", code);
}

// "0.3.12": the set members in ascending order, joined by ".".
std::string member_list(std::uint32_t bits, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (!(bits & (1u << i)))
            continue;
        if (!out.empty())
            out += '.';
        out += std::to_string(i);
    }
    return out.empty() ? "none" : out;
}

std::string counter_text(const CounterGroup& c, const std::uint8_t* value) {
    switch (c.action) {
        case action::inc_only:
            return c.increment ? format_text("inc by %u", c.increment) : std::string();
        case action::inc_and_test:
            if (value)
                return format_text("if %u > %u goto state %u", unsigned{*value} + c.increment,
                                   c.maximum, c.next);
            return format_text("inc by %u and if > %u goto state %u", c.increment, c.maximum,
                               c.next);
        case action::reset:
            return "reset to zero";
        default:
            return "?";
    }
}
}  // namespace

std::string describe_state(std::uint32_t state, const StateRecord& r, std::size_t column,
                           const CounterValues* counters) {
    const bool operating = r.mode == mode::operating;
    const bool stepping = operating || r.mode == mode::sleeping;
    switch (column) {
        case 0:
            return format_text("%u", state);
        case 1:
            return mode_text(r.mode);
        case 2:
            return operating ? member_list(r.valves, 16) : std::string();
        case 3:
            if (!operating)
                return {};
            if (r.pump_on != 1)
                return "off";
            return format_text("%umA;%u\u00b5s;%s;%s;%s;%us", r.winding_current_ma,
                               r.step_period_us, microstep_text(r.microstep_code).c_str(),
                               r.pump_direction == 0 ? "inject" : "withdraw",
                               stop_text(r.stop_mode).c_str(), r.stop_time_s);
        case 4: {
            if (!operating)
                return {};
            std::uint32_t lit = 0;
            for (int i = 0; i < 4; ++i)
                if (r.led_setting[i] != 0)
                    lit |= 1u << i;
            return member_list(lit, 4);
        }
        case 5:
            return operating ? std::string(r.aux_switch == 1 ? "on" : "off") : std::string();
        case 6:
            return operating ? std::string(r.photodiode_power ? "on" : "off") : std::string();
        case 7:
            if (!stepping)
                return {};
            if (r.wait_for_schedule)
                return "sched";
            return format_text("%ds", static_cast<int>(static_cast<std::int32_t>(r.delay_s)));
        case 8:
            return stepping ? format_text("goto state %d", r.default_next) : std::string();
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
        case 14: {
            if (!stepping)
                return {};
            const std::size_t i = column - 9;
            return counter_text(r.counters[i], counters ? &(*counters)[i] : nullptr);
        }
        case 15:
            if (stepping && r.diving.level >= 1 && r.diving.level <= 3)
                return format_text("if diving below P%u goto state %u", r.diving.level,
                                   r.diving.next);
            return {};
        case 16:
            if (stepping && r.climbing.level >= 1 && r.climbing.level <= 3)
                return format_text("if climbing above P%u goto state %u", r.climbing.level,
                                   r.climbing.next);
            return {};
        case 17:
            if (stepping && r.pump_on == 1 && r.stop_mode == stop::hall)
                return format_text("if pump times out goto state %u", r.timeout_next);
            return {};
        default:
            return {};
    }
}

std::vector<std::string> describe_state_row(std::uint32_t state, const StateRecord& record,
                                            const CounterValues* counters) {
    std::vector<std::string> row;
    row.reserve(column_count);
    for (std::size_t c = 0; c < column_count; ++c)
        row.push_back(describe_state(state, record, c, counters));
    return row;
}

std::string machine_status_text(const StateMachine& machine) {
    if (machine.last_state_index == 0)
        return "State machine not loaded";
    return format_text("This state machine has %d states", machine.last_state_index + 1);
}

std::string state_label_text(std::uint32_t state) {
    return format_text("STATE %03d", state);
}

}  // namespace quelmar::statemachine
