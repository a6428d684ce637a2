// Decodes arbitrary bytes of any length as every record: a short input must read as zeros
// without reading past it, and a whole one must encode back to the same bytes wherever the
// record carries every byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/record_fields.h"
#include "config/chemistry_parameters.h"
#include "config/optics_defaults.h"
#include "config/thermistor_config.h"
#include "protocol/chemistry.h"
#include "protocol/device_records.h"
#include "protocol/readings.h"
#include "statemachine/state_files.h"
#include "statemachine/state_record.h"

using namespace quelmar;

namespace {

template <class T>
void exact(std::span<const std::uint8_t> bytes) {
    const T record = common::decode_record<T>(bytes);
    const auto image = common::encode_record(record);
    if (bytes.size() < image.size())
        return;
    for (std::size_t i = 0; i < image.size(); ++i)
        if (image[i] != bytes[i])
            std::abort();
}

// Records with bytes that are skipped rather than carried only have to survive the round.
template <class T>
void lossy(std::span<const std::uint8_t> bytes) {
    (void)common::encode_record(common::decode_record<T>(bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    exact<protocol::DeviceIdentity>(bytes);
    exact<protocol::DeviceKind>(bytes);
    exact<protocol::OldDeviceInfo>(bytes);
    exact<protocol::SoftwareVersion>(bytes);
    exact<protocol::SensorStatusRecord>(bytes);
    exact<protocol::ReadingsEntry>(bytes);
    exact<protocol::PlatformData>(bytes);
    exact<protocol::ChemistryConfig>(bytes);
    exact<statemachine::StateRecord>(bytes);
    lossy<statemachine::DatRecord>(bytes);
    exact<config::GenericParameters>(bytes);
    exact<config::NutrientParameters>(bytes);
    exact<config::LegacyNutrientParameters>(bytes);
    exact<config::PhParameters>(bytes);
    exact<config::TaParameters>(bytes);
    exact<config::DicParameters>(bytes);
    exact<config::OpticsDefaults>(bytes);
    exact<config::PumpValveDefaults>(bytes);
    exact<config::ThermistorConfig>(bytes);
    return 0;
}
