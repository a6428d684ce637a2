#include "statemachine/state_files.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/bytes.h"

namespace quelmar::statemachine {

using namespace common;

namespace {
constexpr double led_to_dat = 65535.0 / 49000.0;  // 1.3374489795918367
constexpr double dat_to_led = 49000.0 / 65535.0;  // 0.7476920729381247
constexpr std::size_t dat_groups_offset = 69;

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

// The ".dat" groups hold increment, next, maximum (or level) and a reset flag; the action
// is rebuilt from the flag and whether a maximum is set.
void put_dat_group(std::uint8_t* p, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                   std::uint8_t b3) {
    p[0] = b0;
    p[1] = b2;
    p[2] = b1;
    p[3] = b3 == action::reset ? 1 : 0;
}

std::array<std::uint8_t, 4> get_dat_group(const std::uint8_t* p) {
    const std::uint8_t act = p[3] ? action::reset : p[2] ? action::inc_and_test : action::inc_only;
    return {p[0], p[2], p[1], act};
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

DatBytes encode_dat_record(const StateRecord& r) {
    DatBytes out{};
    std::uint8_t* b = out.data();
    b[1] = r.default_next;
    put_u32le(b + 2, r.delay_s);
    b[6] = r.wait_for_schedule == 0 ? 1 : 0;
    b[7] = r.mode == mode::operating ? 0 : r.mode == mode::sleeping ? 1 : 2;
    for (int i = 0; i < 16; ++i)
        b[8 + i] = (r.valves >> i) & 1u;
    b[24] = r.hall_power;
    b[25] = r.photodiode_power;
    for (int i = 0; i < 4; ++i)
        put_u16le(b + 31 + 2 * i, convert_led(r.led_setting[i], led_to_dat));
    b[39] = r.pump_direction == 1 ? 1 : 0;
    b[40] = r.pump_on == 1 ? 3 : 0;
    b[41] = r.stop_mode == stop::hall ? 1 : 0;
    b[42] = r.stop_mode == stop::steps ? 1 : 0;
    b[43] = r.stop_mode != stop::hall && r.stop_mode != stop::steps ? 1 : 0;
    put_u16le(b + 44, r.winding_current_ma);
    put_u32le(b + 46, r.step_period_us);
    put_u32le(b + 50, r.step_count);
    put_u32le(b + 54, r.stop_time_s);
    b[58] = r.timeout_next;
    put_u16le(b + 59, r.pump_reserved[0]);
    put_u16le(b + 61, r.pump_reserved[1]);
    b[63] = microstep_divisor(r.microstep_code);
    b[64] = r.aux_switch == 1 ? 1 : 0;
    b[65] = r.aux_switch == 2 ? 1 : 0;
    for (std::size_t i = 0; i < counter_count; ++i) {
        const CounterGroup& c = r.counters[i];
        put_dat_group(b + dat_groups_offset + 4 * i, c.increment, c.maximum, c.next, c.action);
    }
    put_dat_group(b + dat_groups_offset + 24, r.diving.reserved0, r.diving.level, r.diving.next,
                  r.diving.reserved3);
    put_dat_group(b + dat_groups_offset + 28, r.climbing.reserved0, r.climbing.level,
                  r.climbing.next, r.climbing.reserved3);
    return out;
}

StateRecord decode_dat_record(std::span<const std::uint8_t, dat_record_size> s) {
    const std::uint8_t* b = s.data();
    StateRecord r;
    r.format_flag = 0;
    r.default_next = b[1];
    r.delay_s = get_u32le(b + 2);
    r.wait_for_schedule = b[6] == 1 ? 0 : 1;
    r.mode = b[7] == 0 ? mode::operating : b[7] == 1 ? mode::sleeping : mode::idle;
    for (int i = 0; i < 16; ++i)
        if (b[8 + i])
            r.valves = static_cast<std::uint16_t>(r.valves | (1u << i));
    r.hall_power = b[24];
    r.photodiode_power = b[25];
    for (int i = 0; i < 4; ++i)
        r.led_setting[i] = convert_led(get_u16le(b + 31 + 2 * i), dat_to_led);
    r.pump_direction = b[39] == 1 ? 1 : 0;
    r.pump_on = b[40] == 3 ? 1 : 0;
    r.stop_mode = b[41] == 1 ? stop::hall : b[42] == 1 ? stop::steps : stop::time;
    r.winding_current_ma = get_u16le(b + 44);
    r.step_period_us = get_u32le(b + 46);
    r.step_count = get_u32le(b + 50);
    r.stop_time_s = get_u32le(b + 54);
    r.timeout_next = b[58];
    r.pump_reserved = {get_u16le(b + 59), get_u16le(b + 61)};
    r.microstep_code = microstep_code_of(b[63]);
    r.aux_switch = b[64] == 1 ? 1 : b[65] == 1 ? 2 : 0;
    r.sync_value = 0;
    for (std::size_t i = 0; i < counter_count; ++i) {
        const auto g = get_dat_group(b + dat_groups_offset + 4 * i);
        r.counters[i] = {g[0], g[1], g[2], g[3]};
    }
    const auto d = get_dat_group(b + dat_groups_offset + 24);
    r.diving = {d[0], d[1], d[2], d[3]};
    const auto c = get_dat_group(b + dat_groups_offset + 28);
    r.climbing = {c[0], c[1], c[2], c[3]};
    return r;
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
        // An existing file keeps its permissions; a new one gets 0666 less the umask rather
        // than the temporary file's 0600.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            ::chmod(temp.data(), st.st_mode & 07777);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(temp.data(), 0666 & ~mask);
        }
        ok = std::rename(temp.data(), path.c_str()) == 0;
    }
    if (!ok) {
        std::remove(temp.data());
        return FileResult::write_failed;
    }
    return FileResult::ok;
}

}  // namespace quelmar::statemachine
