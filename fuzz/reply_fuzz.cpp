// Feeds arbitrary reply reports to the command functions and the record decoders behind them,
// through the link and the virtual bus: whatever a device answers, nothing may crash, hang or
// read outside a record.
//
// Input: byte 0 picks the operation, byte 1 marks the reports that keep their own sequence
// number (bit n for report n: it comes as a stray ahead of the sensor's own answer; the others
// answer the request), byte 2 is the operation's argument (chemistry type, state or
// thermistor number), and the rest is cut into 129-byte reports for the next requests in
// turn. Requests past the last report get the virtual sensor's own answers. One sensor and
// one open link serve every input.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "config/chemistry_parameters.h"
#include "config/optics_defaults.h"
#include "config/thermistor_config.h"
#include "link/discovery.h"
#include "link/sensor_link.h"
#include "monitor/status_monitor.h"
#include "protocol/chemistry.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "protocol/optics_test.h"
#include "protocol/readings.h"
#include "protocol/run_commands.h"
#include "statemachine/state_machine.h"
#include "statemachine/state_transfer.h"
#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;
using namespace quelmar::protocol;

namespace {

constexpr std::size_t max_replies = 4;
constexpr std::uint32_t fuzz_timeout_ms = 500;

struct Bench {
    virtual_sensor::VirtualSensor sensor;
    link::SensorLink sensor_link;
    Bench() {
        sensor.attach();
        // Every request is answered at once, within microseconds, so no exchange waits for
        // its time-out.
        link::sensor_link_open(sensor_link, sensor.path(), fuzz_timeout_ms);
    }
};

Bench& bench() {
    // Never destroyed: the sensor's and the link's threads may outlive the fuzzer's exit.
    static Bench* b = new Bench;
    return *b;
}

template <std::size_t N>
void read_parameters(link::SensorLink& l, ChemistryType type, void (*decode)(std::span<const std::uint8_t, N>)) {
    std::array<std::uint8_t, N> record{};
    if (read_processing_parameters(l, type, record) == status::ok) decode(record);
}

void run_operation(link::SensorLink& l, std::uint8_t op, std::uint8_t arg) {
    switch (op % 22) {
        case 0: {
            DeviceIdentity identity;
            if (read_identity(l, identity) == status::ok) (void)identity.name_text();
            break;
        }
        case 1: {
            DeviceIdentity identity;
            identity.set_name("Fuzz");
            (void)write_identity(l, identity);
            break;
        }
        case 2: {
            DeviceKind kind;
            if (read_kind(l, kind) == status::ok) (void)link::device_type_name(kind.device_type);
            break;
        }
        case 3: {
            SoftwareVersion version;
            (void)read_software_version(l, version);
            break;
        }
        case 4: {
            SensorStatusRecord record;
            (void)read_status(l, record);
            break;
        }
        case 5: {
            std::uint8_t mode = 0;
            ReadingsBytes entry{};
            if (read_readings(l, mode, entry) == status::ok) {
                (void)decode_readings_entry(entry);
                (void)readings_counter(entry);
            }
            break;
        }
        case 6: {
            PlatformBytes data{};
            if (read_platform_data(l, data) == status::ok) (void)decode_platform_data(data);
            break;
        }
        case 7: {
            std::string name;
            (void)read_output_file_name(l, name);
            break;
        }
        case 8: {
            ChemistryConfig config;
            if (read_chemistry_config(l, config) == status::ok) {
                (void)chemistry_name(config.chemistry);
                (void)start_choices(config);
                (void)write_chemistry_config(l, config);
            }
            break;
        }
        case 9:
            read_parameters<config::generic_parameters_size>(
                l, arg, [](std::span<const std::uint8_t, config::generic_parameters_size> b) {
                    (void)config::decode_generic_parameters(b);
                });
            break;
        case 10:
            read_parameters<config::nutrient_parameters_size>(
                l, arg, [](std::span<const std::uint8_t, config::nutrient_parameters_size> b) {
                    auto r = config::decode_nutrient_parameters(b);
                    for (std::uint8_t o = 0; o < 4; ++o) (void)config::monitoring_channel_of_output(r, o);
                    config::derive_legacy_monitoring(r);
                });
            break;
        case 11:
            read_parameters<config::ph_parameters_size>(
                l, arg, [](std::span<const std::uint8_t, config::ph_parameters_size> b) {
                    (void)config::decode_ph_parameters(b);
                });
            break;
        case 12:
            read_parameters<config::ta_parameters_size>(
                l, arg, [](std::span<const std::uint8_t, config::ta_parameters_size> b) {
                    (void)config::decode_ta_parameters(b);
                });
            break;
        case 13:
            read_parameters<config::dic_parameters_size>(
                l, arg, [](std::span<const std::uint8_t, config::dic_parameters_size> b) {
                    (void)config::decode_dic_parameters(b);
                });
            break;
        case 14: {
            std::array<std::uint8_t, nutrient_parameters_size> record{};
            record[0] = arg;
            (void)write_processing_parameters(l, arg, record);
            break;
        }
        case 15: {
            config::ThermistorConfig thermistor;
            if (config::read_thermistor_config(l, arg, thermistor) == status::ok) {
                const std::array<std::uint16_t, 8> counts{};
                (void)config::thermistor_temperature(thermistor, counts);
            }
            break;
        }
        case 16: {
            config::OpticsDefaults optics;
            config::PumpValveDefaults pump;
            (void)config::read_optics_defaults(l, optics);
            (void)config::read_pump_valve_defaults(l, pump);
            break;
        }
        case 17: {
            std::uint16_t count = 0;
            (void)read_state_count(l, count);
            (void)highest_valid_state(status::ok, count);
            break;
        }
        case 18: (void)start_run(l, arg); break;
        case 19: {
            const std::array<std::uint8_t, optics_test_request_size> request{};
            (void)start_optics_test(l, request);
            (void)stop_state_machine(l);
            break;
        }
        case 20: {
            statemachine::StateMachine machine;
            (void)statemachine::load_from_sensor(l, machine, statemachine::read_state_defaults(l));
            break;
        }
        case 21: {
            monitor::StatusMonitor status_monitor;
            status_monitor.run_cycle(l, [](const monitor::MonitorReport&) {});
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    Bench& b = bench();
    const std::uint8_t op = data[0];
    const std::uint8_t own_sequence = data[1];
    const std::uint8_t arg = data[2];
    data += 3;
    size -= 3;
    for (std::size_t n = 0; n < max_replies && size > 0; ++n) {
        const std::size_t take = size < link::report_size ? size : link::report_size;
        b.sensor.queue_raw_replies({std::vector<std::uint8_t>(data, data + take)},
                                   (own_sequence >> n & 1) == 0);
        data += take;
        size -= take;
    }
    run_operation(b.sensor_link, op, arg);
    b.sensor.clear_raw_replies();
    b.sensor.clear_requests();
    return 0;
}
