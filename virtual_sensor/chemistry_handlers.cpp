#include "virtual_sensor/chemistry_handlers.h"

#include "common/bytes.h"
#include "config/chemistry_parameters.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "protocol/sensor_status.h"
#include "virtual_sensor/instrument_model.h"

namespace quelmar::virtual_sensor {

namespace cmd = protocol::cmd;
namespace status = protocol::status;

namespace {

Reply status_only(std::uint8_t s) {
    return Reply{s, {}};
}

template <std::size_t N>
std::vector<std::uint8_t> bytes_of(const std::array<std::uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

config::GenericParameters factory_generic() {
    config::GenericParameters p;
    p.sample_intake_state = 3;
    p.sample_measurement_state = 4;
    return p;
}

config::TaParameters factory_ta() {
    config::TaParameters p;
    p.format = config::parameters_format_current;
    p.measurement_channel = 0;
    p.monitoring_channel_led1 = 4;
    p.monitoring_channel_led2 = 5;
    p.sample_intake_state = 3;
    p.blank_state_led1 = 4;
    p.blank_state_led2 = 5;
    p.sample_state_led1 = 6;
    p.sample_state_led2 = 7;
    p.processing_trigger = 3;
    p.ct = 0.0052f;
    p.acid_molarity = 0.1f;
    p.pka = 4.05f;
    p.e1 = 0.00375f;
    p.e2 = 2.7f;
    p.e3 = 0.0255f;
    return p;
}

config::DicParameters factory_dic() {
    config::DicParameters p;
    p.format = config::parameters_format_current;
    p.inlets[0] = {config::inlet_type::sample, 3, 4, 0.0f};
    p.inlets[1] = {config::inlet_type::crm, 5, 6, 2026.5f};
    p.inlets[2] = {config::inlet_type::unused, 255, 255, 0.0f};
    return p;
}

Reply read_config(VirtualSensor& sensor, const link::SensorReport&) {
    auto bytes = sensor.record(cmd::read_chemistry_config);
    bytes.resize(protocol::chemistry_config_size, 0);
    return Reply{status::ok, std::move(bytes)};
}

Reply write_config(VirtualSensor& sensor, const link::SensorReport& request) {
    const std::uint8_t* in = request.payload();
    sensor.set_record(cmd::read_chemistry_config,
                      std::vector<std::uint8_t>(in, in + protocol::chemistry_config_size));
    return status_only(status::ok);
}

Reply read_parameters(VirtualSensor& sensor, const link::SensorReport& request) {
    const std::uint32_t count = common::get_u32le(request.payload());
    if (count > link::payload_capacity ||
        (sensor.legacy_nutrient_record() && count != config::legacy_nutrient_parameters_size))
        return status_only(status::wrong_record_length);
    auto bytes = sensor.parameter_record(count);
    bytes.resize(count, 0);
    return Reply{status::ok, std::move(bytes)};
}

Reply write_parameters(VirtualSensor& sensor, const link::SensorReport& request) {
    const std::uint8_t* in = request.payload();
    const std::uint32_t count = common::get_u32le(in);
    if (count > link::payload_capacity - 4 ||
        (sensor.legacy_nutrient_record() && count != config::legacy_nutrient_parameters_size))
        return status_only(status::wrong_record_length);
    sensor.set_parameter_record(std::vector<std::uint8_t>(in + 4, in + 4 + count));
    return status_only(status::ok);
}

}  // namespace

void install_chemistry_handlers(VirtualSensor& sensor) {
    protocol::ChemistryConfig chemistry;
    chemistry.chemistry = protocol::chemistry::nitrate;
    chemistry.sample_interval_ms = 1000;
    chemistry.deployment_state = 0;  // a loaded machine starts from its first state
    sensor.set_record(cmd::read_chemistry_config,
                      bytes_of(protocol::encode_chemistry_config(chemistry)));

    sensor.set_parameter_record(bytes_of(config::encode_generic_parameters(factory_generic())));
    const auto nutrient = config::encode_nutrient_parameters(factory_nutrient_parameters());
    sensor.set_parameter_record(bytes_of(nutrient));
    // What older firmware holds of the same record: its first 23 bytes, format 0.
    std::vector<std::uint8_t> legacy(nutrient.begin(),
                                     nutrient.begin() + config::legacy_nutrient_parameters_size);
    legacy[0] = 0;
    sensor.set_parameter_record(std::move(legacy));
    sensor.set_parameter_record(bytes_of(config::encode_ph_parameters(factory_ph_parameters())));
    sensor.set_parameter_record(bytes_of(config::encode_ta_parameters(factory_ta())));
    sensor.set_parameter_record(bytes_of(config::encode_dic_parameters(factory_dic())));
    sensor.set_parameter_record({config::parameters_format_current, 0});  // ammonia

    sensor.set_handler(cmd::read_chemistry_config, read_config);
    sensor.set_handler(cmd::write_chemistry_config, write_config);
    sensor.set_handler(cmd::read_processing_parameters, read_parameters);
    sensor.set_handler(cmd::write_processing_parameters, write_parameters);
}

}  // namespace quelmar::virtual_sensor
