#include "virtual_sensor/optics_handlers.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <mutex>

#include "common/bytes.h"
#include "config/optics_defaults.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "protocol/optics_test.h"
#include "protocol/sensor_status.h"

namespace quelmar::virtual_sensor {

namespace cmd = protocol::cmd;
namespace status = protocol::status;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

namespace {

// A stroke that would end at once is given this much, so that pumping continuously cannot
// spin through strokes without time passing.
constexpr double shortest_stroke_s = 0.2;

struct BenchTest {
    std::mutex mutex;
    bool pmt_fitted = true;
    bool dic = false;

    bool optics_on = false;
    config::OpticsDefaults optics;
    std::uint16_t valves = 0;

    bool pump_running = false;
    bool pump_has_run = false;
    config::PumpValveDefaults pump;
    bool continuously = false;
    std::uint8_t direction = 0;  // of the stroke in progress
    Clock::time_point stroke_start{};
    double hall[2] = {0, 0};  // Hall 0 counts an injection, Hall 1 a withdrawal
};

std::shared_ptr<BenchTest> bench(VirtualSensor& sensor) {
    return sensor.feature_state<BenchTest>("optics_bench");
}

Reply status_only(std::uint8_t s) {
    return Reply{s, {}};
}

// Hall counts a second: the piston moves one full step per micro-steps steps.
double hall_rate(const config::PumpValveDefaults& p) {
    const double step_hz = 1e6 / std::max<std::uint32_t>(p.step_period_us, 2);
    const double microsteps = 16 >> std::min<int>(p.microstep_code, 4);
    return std::clamp(step_hz / microsteps * 0.5, 1.0, 4000.0);
}

double stroke_seconds(const config::PumpValveDefaults& p, std::uint8_t direction) {
    double s = 0;
    switch (p.stop_mode) {
        case 0: {  // Hall sensors, with the stop time as their time-out
            const std::uint16_t target = direction == 0 ? p.hall_stop_inject : p.hall_stop_withdraw;
            s = target / hall_rate(p);
            if (p.stop_time_s > 0)
                s = std::min(s, double(p.stop_time_s));
            break;
        }
        case 1:
            s = p.step_count * std::max<std::uint32_t>(p.step_period_us, 2) / 1e6;
            break;
        default:
            s = p.stop_time_s;
            break;
    }
    return std::max(s, shortest_stroke_s);
}

// Brings the pump up to `now`: ends the stroke, or turns it round when pumping continuously.
void advance_pump(BenchTest& b, Clock::time_point now) {
    if (!b.pump_running)
        return;
    for (;;) {
        const double length = stroke_seconds(b.pump, b.direction);
        const double elapsed = Seconds(now - b.stroke_start).count();
        const double done = std::min(elapsed, length);
        b.hall[b.direction] = std::min(done * hall_rate(b.pump), 4095.0);
        if (elapsed < length)
            return;
        if (!b.continuously) {
            b.pump_running = false;
            return;
        }
        b.stroke_start += std::chrono::duration_cast<Clock::duration>(Seconds(length));
        b.direction ^= 1;
        b.hall[b.direction] = 0;
    }
}

template <class T, std::size_t N>
T decode_at(const std::uint8_t* in) {
    std::array<std::uint8_t, N> bytes{};
    std::copy(in, in + N, bytes.begin());
    return common::decode_record<T>(bytes);
}

Reply start_optics(VirtualSensor& sensor, const link::SensorReport& request) {
    if (request.command() == cmd::start_optics_test && sensor.legacy_optics())
        return status_only(status::optics_unknown);
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    b->optics = decode_at<config::OpticsDefaults, config::optics_defaults_size>(request.payload());
    b->optics_on = true;
    return status_only(status::ok);
}

Reply stop_optics(VirtualSensor& sensor, const link::SensorReport&) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    b->optics_on = false;
    return status_only(status::ok);
}

Reply start_valves(VirtualSensor& sensor, const link::SensorReport& request) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    b->valves = common::get_u16le(request.payload());
    return status_only(status::ok);
}

Reply stop_valves(VirtualSensor& sensor, const link::SensorReport&) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    b->valves = 0;
    return status_only(status::ok);
}

Reply start_pump(VirtualSensor& sensor, const link::SensorReport& request) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    b->pump =
        decode_at<config::PumpValveDefaults, config::pump_valve_defaults_size>(request.payload());
    b->continuously = request.payload()[config::pump_valve_defaults_size] == 1;
    b->direction = b->pump.pump_direction == 1 ? 1 : 0;
    b->hall[b->direction] = 0;
    b->stroke_start = Clock::now();
    b->pump_running = true;
    b->pump_has_run = true;
    return status_only(status::ok);
}

Reply stop_pump(VirtualSensor& sensor, const link::SensorReport&) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    advance_pump(*b, Clock::now());
    b->pump_running = false;
    return status_only(status::ok);
}

// Byte 0 is not used; bytes 1-2 count the seconds left of the stroke (at least 1 while the
// pump runs) and are 0 once it has stopped.
Reply pump_progress(VirtualSensor& sensor, const link::SensorReport&) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    const auto now = Clock::now();
    advance_pump(*b, now);
    std::uint16_t left = 0;
    if (b->pump_running) {
        const double s =
            stroke_seconds(b->pump, b->direction) - Seconds(now - b->stroke_start).count();
        left = static_cast<std::uint16_t>(std::clamp(std::ceil(s), 1.0, 65535.0));
    }
    Reply r{status::ok, std::vector<std::uint8_t>(3, 0)};
    common::put_u16le(r.payload.data() + 1, left);
    return r;
}

// The photomultiplier and DIC records are kept like every other record, but only by firmware
// that has them.
Reply optional_record(VirtualSensor& sensor, const link::SensorReport& request,
                      std::uint16_t read_code, std::size_t size, bool BenchTest::*present) {
    {
        auto b = bench(sensor);
        std::lock_guard lock(b->mutex);
        if (!((*b).*present))
            return status_only(status::command_unknown);
    }
    if (request.command() != read_code) {
        sensor.set_record(read_code,
                          std::vector<std::uint8_t>(request.payload(), request.payload() + size));
        return status_only(status::ok);
    }
    auto bytes = sensor.record(read_code);
    bytes.resize(size, 0);
    return Reply{status::ok, std::move(bytes)};
}

template <class T>
std::vector<std::uint8_t> image_of(const T& record) {
    const auto bytes = common::encode_record(record);
    return {bytes.begin(), bytes.end()};
}

void store_factory_defaults(VirtualSensor& sensor) {
    // A nitrate sensor: the UV and reference LEDs lit, the fourth unused, and a pump that
    // finishes a stroke in about half a minute, stopped by its Hall sensors.
    config::OpticsDefaults optics;
    optics.photodiode_power = 1;
    optics.led_current_ua = {20000, 20000, 15000, 0};
    sensor.set_record(cmd::read_optics_defaults, image_of(optics));

    config::PumpValveDefaults pump;
    pump.pump_direction = 0;
    pump.winding_current_ma = 400;
    pump.step_period_us = 500;
    pump.microstep_code = 0;
    pump.stop_mode = 0;
    pump.hall_stop_inject = 2000;
    pump.hall_stop_withdraw = 2000;
    pump.stop_time_s = 120;
    pump.hall_power = 1;
    pump.valve_spike_ms = 100;
    sensor.set_record(cmd::read_pump_valve_defaults, image_of(pump));

    config::PmtSettings pmt;
    pmt.instrument = config::pmt_instrument::none;
    pmt.control_v = 0.8f;
    sensor.set_record(cmd::read_photomultiplier, image_of(pmt));

    config::DicConductivity dic;
    dic.rxgain = 1;
    dic.offset_v = 0.0125f;
    dic.frequency_khz = 100;
    dic.excitation_pct = 50;
    sensor.set_record(cmd::read_dic_conductivity, image_of(dic));
}

std::uint16_t volts_to_count(double v) {
    return static_cast<std::uint16_t>(std::clamp(v, 0.0, 4.9999) * 65536.0 / 5.0);
}

}  // namespace

void install_optics_handlers(VirtualSensor& sensor) {
    store_factory_defaults(sensor);
    sensor.set_handler(cmd::start_optics_test, start_optics);
    sensor.set_handler(cmd::start_optics_test_old, start_optics);
    sensor.set_handler(cmd::stop_optics_test, stop_optics);
    sensor.set_handler(cmd::start_valve_test, start_valves);
    sensor.set_handler(cmd::stop_valve_test, stop_valves);
    sensor.set_handler(cmd::start_pump_test, start_pump);
    sensor.set_handler(cmd::stop_pump_test, stop_pump);
    sensor.set_handler(cmd::read_pump_progress, pump_progress);
    for (std::uint16_t code : {cmd::read_photomultiplier, cmd::write_photomultiplier})
        sensor.set_handler(code, [](VirtualSensor& s, const link::SensorReport& r) {
            return optional_record(s, r, cmd::read_photomultiplier, config::pmt_settings_size,
                                   &BenchTest::pmt_fitted);
        });
    for (std::uint16_t code : {cmd::read_dic_conductivity, cmd::write_dic_conductivity})
        sensor.set_handler(code, [](VirtualSensor& s, const link::SensorReport& r) {
            return optional_record(s, r, cmd::read_dic_conductivity, config::dic_conductivity_size,
                                   &BenchTest::dic);
        });
}

void set_photomultiplier_fitted(VirtualSensor& sensor, bool fitted) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    b->pmt_fitted = fitted;
}

void act_as_dic_sensor(VirtualSensor& sensor) {
    {
        auto b = bench(sensor);
        std::lock_guard lock(b->mutex);
        b->dic = true;
    }
    auto bytes = sensor.record(cmd::read_chemistry_config);
    bytes.resize(protocol::chemistry_config_size, 0);
    bytes[1] = protocol::chemistry::dic;
    sensor.set_record(cmd::read_chemistry_config, std::move(bytes));
}

void bench_test_readings(VirtualSensor& sensor, protocol::ReadingsEntry& entry) {
    auto b = bench(sensor);
    std::lock_guard lock(b->mutex);
    const auto now = Clock::now();
    advance_pump(*b, now);
    if (b->pump_has_run) {
        entry.hall_i = static_cast<std::uint16_t>(b->hall[0]);
        entry.hall_w = static_cast<std::uint16_t>(b->hall[1]);
    }
    if (!b->optics_on && b->valves == 0)
        return;
    const double t = Seconds(now.time_since_epoch()).count();
    // Each open valve lets a little more coloured liquid into the cell, and the flow makes the
    // light flicker while the pump runs.
    const int open = std::popcount(b->valves);
    const double absorbed = std::min(0.05 * open, 0.6);
    const double flicker = b->pump_running ? 0.03 : 0.004;
    for (std::size_t c = 0; c < 8; ++c) {
        const std::size_t led = c % 4;
        double v = 0.012;  // dark
        if (b->optics_on && b->optics.photodiode_power) {
            const double lit = 0.012 + 3.8 * b->optics.led_current_ua[led] / 48000.0;
            // Channels 0-3 see the light through the cell, 4-7 are the reference diodes.
            v = c < 4 ? lit * (1.0 - absorbed) : lit * 0.9;
        }
        v += flicker * std::sin(t * 1.3 + double(c));
        entry.channels[c] = volts_to_count(v);
    }
}

}  // namespace quelmar::virtual_sensor
