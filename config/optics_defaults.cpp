#include "config/optics_defaults.h"

#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

using namespace common;
using protocol::SensorStatus;

OpticsDefaults decode_optics_defaults(std::span<const std::uint8_t, optics_defaults_size> b) {
    return decode_record<OpticsDefaults>(b);
}

std::array<std::uint8_t, optics_defaults_size> encode_optics_defaults(const OpticsDefaults& r) {
    return encode_record(r);
}

PumpValveDefaults decode_pump_valve_defaults(
    std::span<const std::uint8_t, pump_valve_defaults_size> b) {
    return decode_record<PumpValveDefaults>(b);
}

std::array<std::uint8_t, pump_valve_defaults_size> encode_pump_valve_defaults(
    const PumpValveDefaults& r) {
    return encode_record(r);
}

DicConductivity decode_dic_conductivity(std::span<const std::uint8_t, dic_conductivity_size> b) {
    return decode_record<DicConductivity>(b);
}

std::array<std::uint8_t, dic_conductivity_size> encode_dic_conductivity(const DicConductivity& r) {
    return encode_record(r);
}

PmtSettings decode_pmt_settings(std::span<const std::uint8_t, pmt_settings_size> b) {
    return decode_record<PmtSettings>(b);
}

std::array<std::uint8_t, pmt_settings_size> encode_pmt_settings(const PmtSettings& r) {
    return encode_record(r);
}

SensorStatus read_optics_defaults(link::SensorLink& link, OpticsDefaults& record) {
    return protocol::read_record(link, protocol::cmd::read_optics_defaults, record);
}

SensorStatus write_optics_defaults(link::SensorLink& link, const OpticsDefaults& record) {
    return protocol::write_record(link, protocol::cmd::write_optics_defaults, record);
}

SensorStatus read_pump_valve_defaults(link::SensorLink& link, PumpValveDefaults& record) {
    return protocol::read_record(link, protocol::cmd::read_pump_valve_defaults, record);
}

SensorStatus write_pump_valve_defaults(link::SensorLink& link, const PumpValveDefaults& record) {
    return protocol::write_record(link, protocol::cmd::write_pump_valve_defaults, record);
}

SensorStatus read_dic_conductivity(link::SensorLink& link, DicConductivity& record) {
    return protocol::read_record(link, protocol::cmd::read_dic_conductivity, record);
}

SensorStatus write_dic_conductivity(link::SensorLink& link, const DicConductivity& record) {
    return protocol::write_record(link, protocol::cmd::write_dic_conductivity, record);
}

SensorStatus read_pmt_settings(link::SensorLink& link, PmtSettings& record) {
    return protocol::read_record(link, protocol::cmd::read_photomultiplier, record);
}

SensorStatus write_pmt_settings(link::SensorLink& link, const PmtSettings& record) {
    return protocol::write_record(link, protocol::cmd::write_photomultiplier, record);
}

}  // namespace quelmar::config
