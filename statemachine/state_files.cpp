#include "statemachine/state_files.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/file_replace.h"

namespace quelmar::statemachine {

namespace {
constexpr double led_to_dat = 65535.0 / 49000.0;  // 1.3374489795918367
constexpr double dat_to_led = 49000.0 / 65535.0;  // 0.7476920729381247

std::uint16_t convert_led(std::uint16_t v, double factor) {
    if (v == led_on)
        return led_on;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(v * factor));
}

std::uint8_t microstep_divisor(std::uint8_t code) {
    static const std::uint8_t divisors[] = {16, 8, 4, 2};
    return code < std::size(divisors) ? divisors[code] : 1;
}

std::uint8_t microstep_code_of(std::uint8_t divisor) {
    switch (divisor) {
        case 16:
            return 0;
        case 8:
            return 1;
        case 4:
            return 2;
        case 2:
            return 3;
        default:
            return 4;
    }
}

// The ".dat" groups keep no action: only a reset flag. The action is rebuilt from that flag
// and whether a maximum is set, so an "Inc Only" counter with a maximum returns as
// "Inc & Test".
DatGroup dat_group_of(std::uint8_t byte0, std::uint8_t byte1, std::uint8_t byte2,
                      std::uint8_t byte3) {
    return {byte0, byte2, byte1, static_cast<std::uint8_t>(byte3 == action::reset ? 1 : 0)};
}

std::uint8_t action_of(const DatGroup& g) {
    return g.reset ? action::reset : g.maximum ? action::inc_and_test : action::inc_only;
}
}  // namespace

StateFileFormat state_file_format(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot + 1 >= path.size())
        return StateFileFormat::asm77;
    const char c = path[dot + 1];
    return c == 'd' || c == 'D' ? StateFileFormat::dat102 : StateFileFormat::asm77;
}

std::size_t state_file_record_size(StateFileFormat format) {
    return format == StateFileFormat::dat102 ? dat_record_size : state_record_size;
}

DatRecord dat_record_of(const StateRecord& r) {
    DatRecord d;
    d.default_next = r.default_next;
    d.delay_s = r.delay_s;
    d.delay_in_seconds = r.wait_for_schedule == 0 ? 1 : 0;
    d.mode = r.mode == mode::operating ? 0 : r.mode == mode::sleeping ? 1 : 2;
    for (std::size_t i = 0; i < d.valve_open.size(); ++i)
        d.valve_open[i] = (r.valves >> i) & 1u;
    d.hall_power = r.hall_power;
    d.photodiode_power = r.photodiode_power;
    for (std::size_t i = 0; i < d.led_code.size(); ++i)
        d.led_code[i] = convert_led(r.led_setting[i], led_to_dat);
    d.pump_direction = r.pump_direction == 1 ? 1 : 0;
    d.pump_running = r.pump_on == 1 ? 3 : 0;
    d.stop_on_hall = r.stop_mode == stop::hall ? 1 : 0;
    d.stop_on_steps = r.stop_mode == stop::steps ? 1 : 0;
    d.stop_on_time = r.stop_mode != stop::hall && r.stop_mode != stop::steps ? 1 : 0;
    d.winding_current_ma = r.winding_current_ma;
    d.step_period_us = r.step_period_us;
    d.step_count = r.step_count;
    d.stop_time_s = r.stop_time_s;
    d.timeout_next = r.timeout_next;
    d.pump_reserved = r.pump_reserved;
    d.microstep_divisor = microstep_divisor(r.microstep_code);
    d.switch_on = r.aux_switch == 1 ? 1 : 0;
    d.switch_off = r.aux_switch == 2 ? 1 : 0;
    for (std::size_t i = 0; i < counter_count; ++i) {
        const CounterGroup& c = r.counters[i];
        d.groups[i] = dat_group_of(c.increment, c.maximum, c.next, c.action);
    }
    d.groups[6] =
        dat_group_of(r.diving.reserved0, r.diving.level, r.diving.next, r.diving.reserved3);
    d.groups[7] =
        dat_group_of(r.climbing.reserved0, r.climbing.level, r.climbing.next, r.climbing.reserved3);
    return d;
}

StateRecord state_record_of(const DatRecord& d) {
    StateRecord r;
    r.format_flag = 0;  // normalise_states brings it into current form
    r.default_next = d.default_next;
    r.delay_s = d.delay_s;
    r.wait_for_schedule = d.delay_in_seconds == 1 ? 0 : 1;
    r.mode = d.mode == 0 ? mode::operating : d.mode == 1 ? mode::sleeping : mode::idle;
    for (std::size_t i = 0; i < d.valve_open.size(); ++i)
        if (d.valve_open[i])
            r.valves = static_cast<std::uint16_t>(r.valves | (1u << i));
    r.hall_power = d.hall_power;
    r.photodiode_power = d.photodiode_power;
    for (std::size_t i = 0; i < d.led_code.size(); ++i)
        r.led_setting[i] = convert_led(d.led_code[i], dat_to_led);
    r.pump_direction = d.pump_direction == 1 ? 1 : 0;
    r.pump_on = d.pump_running == 3 ? 1 : 0;
    r.stop_mode = d.stop_on_hall == 1    ? stop::hall
                  : d.stop_on_steps == 1 ? stop::steps
                                         : stop::time;
    r.winding_current_ma = d.winding_current_ma;
    r.step_period_us = d.step_period_us;
    r.step_count = d.step_count;
    r.stop_time_s = d.stop_time_s;
    r.timeout_next = d.timeout_next;
    r.pump_reserved = d.pump_reserved;
    r.microstep_code = microstep_code_of(d.microstep_divisor);
    r.aux_switch = d.switch_on == 1 ? 1 : d.switch_off == 1 ? 2 : 0;
    r.sync_value = 0;
    for (std::size_t i = 0; i < counter_count; ++i) {
        const DatGroup& g = d.groups[i];
        r.counters[i] = {g.increment, g.maximum, g.next, action_of(g)};
    }
    const DatGroup& dive = d.groups[6];
    r.diving = {dive.increment, dive.maximum, dive.next, action_of(dive)};
    const DatGroup& climb = d.groups[7];
    r.climbing = {climb.increment, climb.maximum, climb.next, action_of(climb)};
    return r;
}

DatBytes encode_dat_record(const StateRecord& r) {
    return common::encode_record(dat_record_of(r));
}

StateRecord decode_dat_record(std::span<const std::uint8_t, dat_record_size> b) {
    return state_record_of(common::decode_record<DatRecord>(b));
}

namespace {
StateRecord decode_any(const std::uint8_t* p, StateFileFormat format) {
    if (format == StateFileFormat::dat102)
        return decode_dat_record(
            std::span<const std::uint8_t, dat_record_size>(p, dat_record_size));
    return decode_state_record(
        std::span<const std::uint8_t, state_record_size>(p, state_record_size));
}

void finish_load(StateMachine& machine, std::size_t count) {
    machine.last_state_index = count ? static_cast<std::uint16_t>(count - 1) : 0;
    machine.current_state = 0;
    normalise_states(machine);
}
}  // namespace

std::size_t load_state_bytes(std::span<const std::uint8_t> bytes, StateFileFormat format,
                             StateMachine& machine) {
    machine.states.fill(StateRecord{});
    const std::size_t size = state_file_record_size(format);
    std::size_t count = 0;
    while (count < max_states && (count + 1) * size <= bytes.size()) {
        machine.states[count] = decode_any(bytes.data() + count * size, format);
        ++count;
    }
    finish_load(machine, count);
    return count;
}

std::vector<std::uint8_t> save_state_bytes(const StateMachine& machine, StateFileFormat format) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < machine.state_count() && i < max_states; ++i) {
        if (format == StateFileFormat::dat102) {
            const auto b = encode_dat_record(machine.states[i]);
            out.insert(out.end(), b.begin(), b.end());
        } else {
            const auto b = encode_state_record(machine.states[i]);
            out.insert(out.end(), b.begin(), b.end());
        }
    }
    return out;
}

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

FileResult load_state_file(const std::string& path, StateMachine& machine,
                           const StateDefaults& defaults) {
    const StateFileFormat format = state_file_format(path);
    const std::size_t size = state_file_record_size(format);
    machine.states.fill(StateRecord{});
    machine.current_state = 0;
    machine.last_state_index = 0;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        clear_to_empty(machine, defaults);
        return FileResult::open_failed;
    }
    // Never more than the table holds is read, however large the file.
    std::vector<std::uint8_t> bytes(max_states * size);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) {
        clear_to_empty(machine, defaults);
        return FileResult::read_failed;
    }
    bytes.resize(got);
    load_state_bytes(bytes, format, machine);
    return FileResult::ok;
}

FileResult save_state_file(const std::string& path, const StateMachine& machine) {
    const auto bytes = save_state_bytes(machine, state_file_format(path));
    std::string pattern = path + ".XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return FileResult::open_failed;
    File file(fdopen(fd, "wb"));
    if (!file) {
        ::close(fd);
        std::remove(temp.data());
        return FileResult::open_failed;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    ok = std::fflush(file.get()) == 0 && ok;
    ok = fsync(fileno(file.get())) == 0 && ok;
    ok = std::fclose(file.release()) == 0 && ok;
    if (ok) {
        ok = common::move_into_place(temp.data(), path);
    }
    if (!ok) {
        std::remove(temp.data());
        return FileResult::write_failed;
    }
    return FileResult::ok;
}

}  // namespace quelmar::statemachine
