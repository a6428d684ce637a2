#include "config/optics_bench.h"

#include <chrono>
#include <cstring>

#include "common/bytes.h"
#include "common/text.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "protocol/readings.h"

namespace quelmar::config {

using protocol::SensorStatus;
namespace status = protocol::status;
namespace cmd = protocol::cmd;

namespace {
constexpr auto reading_period = std::chrono::milliseconds(1000);
constexpr std::size_t pump_progress_reply_size = 3;
}  // namespace

std::array<std::uint8_t, protocol::optics_test_request_size> optics_test_request(
    const OpticsSettings& s) {
    std::array<std::uint8_t, protocol::optics_test_request_size> out{};
    const auto optics = encode_optics_defaults(s.optics);
    const auto pmt = encode_pmt_settings(s.pmt);
    std::uint8_t* p = out.data();
    std::memcpy(p, optics.data(), optics.size());
    p += optics.size();
    common::put_u32le(p, s.chemistry.sample_interval_ms);
    p += 4;
    *p++ = s.chemistry.multiplexer;
    std::memcpy(p, pmt.data(), pmt.size());
    return out;
}

SensorStatus start_valve_test(link::SensorLink& link, std::uint16_t mask, std::uint16_t spike_ms) {
    std::array<std::uint8_t, 4> request{};
    common::put_u16le(request.data(), mask);
    common::put_u16le(request.data() + 2, spike_ms);
    return protocol::send_command(link, cmd::start_valve_test, request);
}

SensorStatus start_pump_test(link::SensorLink& link, const PumpValveDefaults& pump,
                             bool continuously) {
    std::array<std::uint8_t, pump_test_request_size> request{};
    const auto record = encode_pump_valve_defaults(pump);
    std::memcpy(request.data(), record.data(), record.size());
    request[record.size()] = continuously ? 1 : 0;
    return protocol::send_command(link, cmd::start_pump_test, request);
}

SensorStatus stop_optics_test(link::SensorLink& link) {
    return protocol::send_command(link, cmd::stop_optics_test);
}

SensorStatus stop_pump_test(link::SensorLink& link) {
    return protocol::send_command(link, cmd::stop_pump_test);
}

SensorStatus stop_valve_test(link::SensorLink& link) {
    return protocol::send_command(link, cmd::stop_valve_test);
}

SensorStatus read_pump_progress(link::SensorLink& link, std::uint16_t& progress) {
    std::array<std::uint8_t, pump_progress_reply_size> reply{};
    const SensorStatus s = protocol::send_command(link, cmd::read_pump_progress, {}, reply);
    if (s == status::ok)
        progress = common::get_u16le(reply.data() + 1);
    return s;
}

BenchTestPlan bench_test_plan(const OpticsForm& form) {
    BenchTestPlan plan;
    plan.valves = form.test_valves;
    plan.pump = form.test_pump;
    // A pump test is watched through the analogue inputs, so the optics run with it.
    plan.optics = form.test_optics || form.test_pump;
    plan.valve_mask = valve_mask(form);
    plan.pump_continuously = form.pump_continuously;
    return plan;
}

SensorStatus start_bench_test(link::SensorLink& link, const OpticsSettings& s,
                              const BenchTestPlan& plan) {
    // Every part asked for is started even when an earlier one refused: the user is told the
    // start failed, and what did start runs until Stop switches everything off.
    SensorStatus result = status::ok;
    const auto keep_first_failure = [&result](SensorStatus s) {
        if (result == status::ok)
            result = s;
    };
    if (plan.valves)
        keep_first_failure(start_valve_test(link, plan.valve_mask, s.pump.valve_spike_ms));
    if (plan.pump)
        keep_first_failure(start_pump_test(link, s.pump, plan.pump_continuously));
    if (plan.optics) {
        const auto request = optics_test_request(s);
        keep_first_failure(protocol::start_optics_test(link, request));
    }
    return result;
}

SensorStatus stop_bench_test(link::SensorLink& link) {
    SensorStatus result = stop_optics_test(link);
    if (result == status::ok)
        result = stop_pump_test(link);
    if (result == status::ok)
        result = stop_valve_test(link);
    return result;
}

std::string channel_text(std::uint16_t count, bool volts) {
    if (volts)
        return common::format_text("%.5f", count * 5.0 / 65536.0);
    return common::text_of(count);
}

void BenchTestWorker::start(link::SensorLink& link, bool watch_pump, Callbacks callbacks) {
    stop();
    stop_.reset();
    thread_ = std::thread([this, &link, watch_pump, callbacks = std::move(callbacks)] {
        run(link, watch_pump, callbacks);
    });
}

void BenchTestWorker::stop() {
    if (!thread_.joinable())
        return;
    stop_.request_stop();
    thread_.join();
}

void BenchTestWorker::run(link::SensorLink& link, bool watch_pump, const Callbacks& callbacks) {
    if (stop_.wait_for_stop(reading_period))
        return;
    for (;;) {
        if (watch_pump) {
            std::uint16_t progress = 1;
            if (read_pump_progress(link, progress) == status::ok && progress == 0) {
                // The stroke is over: the rest of the test goes dark with it. The pump has
                // stopped itself, so it is not told to.
                (void)stop_optics_test(link);
                (void)stop_valve_test(link);
                if (callbacks.pump_finished)
                    callbacks.pump_finished();
                return;
            }
        }
        std::uint8_t mode = 0;
        protocol::ReadingsBytes bytes{};
        if (protocol::read_readings(link, mode, bytes) == status::ok) {
            const protocol::ReadingsEntry e = protocol::decode_readings_entry(bytes);
            BenchReadings r;
            r.channels = e.channels;
            r.hall0 = e.hall_i;
            r.hall1 = e.hall_w;
            if (callbacks.readings)
                callbacks.readings(r);
        }
        if (stop_.wait_for_stop(reading_period))
            return;
    }
}

}  // namespace quelmar::config
