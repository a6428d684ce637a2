#include "config/chemistry_settings.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/decimal.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

namespace chem = protocol::chemistry;
namespace status = protocol::status;

const ChemistryPage* page_for_chemistry(ChemistryType chemistry) {
    for (const auto& page : chemistry_pages)
        if (page.chemistry == chemistry)
            return &page;
    return nullptr;
}

const ChemistryPage& generic_page() {
    return chemistry_pages[0];
}

std::span<std::uint8_t> parameter_buffer(ChemistryBuffers& buffers, PageLayout layout) {
    switch (layout) {
        case PageLayout::nutrient:
            return buffers.nutrient;
        case PageLayout::ph:
            return buffers.ph;
        case PageLayout::generic:
            break;
    }
    return buffers.generic;
}

SensorStatus load_chemistry(link::SensorLink& link, ChemistryBuffers& buffers,
                            const ChemistryPage*& page) {
    SensorStatus s = protocol::read_chemistry_config(link, buffers.config);
    if (s != status::ok)
        return s;
    const ChemistryPage* found = page_for_chemistry(buffers.config.chemistry);
    if (!found)
        return status::wrong_record_length;
    page = found;
    auto buffer = parameter_buffer(buffers, found->layout).first(found->record_size);
    return protocol::read_processing_parameters(link, found->chemistry, buffer);
}

SensorStatus save_chemistry(link::SensorLink& link, ChemistryBuffers& buffers,
                            const ChemistryPage& page) {
    SensorStatus s = protocol::write_chemistry_config(link, buffers.config);
    if (s != status::ok)
        return s;
    auto buffer = parameter_buffer(buffers, page.layout).first(page.record_size);
    return protocol::write_processing_parameters(link, buffers.config.chemistry, buffer);
}

ChemistryConfig default_chemistry_config(const ChemistryPage& page) {
    ChemistryConfig c{};
    c.chemistry = page.chemistry;
    c.sample_interval_ms = page.layout == PageLayout::ph ? 100 : 1000;
    c.multiplexer = page.layout == PageLayout::ph ? 1 : 0;
    c.autostart_state = c.flushing_state = c.priming_state = protocol::state_none;
    c.deployment_state = 0;
    c.special_states = {protocol::state_none, protocol::state_none, protocol::state_none};
    return c;
}

namespace {

}  // namespace

std::uint32_t typed_sample_interval(std::string_view text) {
    const std::uint64_t v = typed_unsigned(text);
    return v < 100 ? 100 : v > 1000 ? 1000 : static_cast<std::uint32_t>(v);
}

std::uint8_t typed_state(std::string_view text) {
    const std::uint64_t v = typed_unsigned(text);
    return static_cast<std::uint8_t>(v > 254 ? 254 : v);
}

std::uint32_t typed_concentration(std::string_view text) {
    const auto t = common::decimal_thousandths(skip_space(text));
    if (!t || *t < 0)
        return 0;
    if (*t > std::numeric_limits<std::uint32_t>::max())
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(*t);
}

std::string concentration_text(std::uint32_t thousandths) {
    return fixed_text(thousandths * 0.001, 3);
}

std::string state_text(std::uint8_t state) {
    return std::to_string(state);
}

std::string dilution_text(ChemistryType chemistry) {
    double d = 1.0;
    switch (chemistry) {
        case chem::nitrate:
            d = 1.5;
            break;
        case chem::phosphate:
            d = 3.0;
            break;
        case chem::silicate:
            d = 4.0;
            break;
        case chem::nitrite:
            d = 2.0;
            break;
        case chem::iron:
            d = 1.135;
            break;
        default:
            break;
    }
    return "1:" + fixed_text(d, 3);
}

std::string configure_caption(ChemistryType chemistry) {
    return "Configure Sensor For " + protocol::chemistry_name(chemistry);
}

GenericForm generic_form(const GenericParameters& p) {
    GenericForm f;
    f.sample_intake_state = state_text(p.sample_intake_state);
    f.sample_measurement_state = state_text(p.sample_measurement_state);
    for (std::size_t i = 0; i < 8; ++i) {
        f.scales[i] = decimal_text(p.scales[i], 5);
        f.offsets[i] = decimal_text(p.offsets[i], 5);
    }
    return f;
}

GenericParameters generic_from_form(const GenericForm& f) {
    GenericParameters p{};
    p.byte0 = 0;
    p.sample_intake_state = typed_state(f.sample_intake_state);
    p.sample_measurement_state = typed_state(f.sample_measurement_state);
    for (std::size_t i = 0; i < 8; ++i) {
        p.scales[i] = typed_decimal(f.scales[i]);
        p.offsets[i] = typed_decimal(f.offsets[i]);
    }
    return p;
}

NutrientForm nutrient_form(const NutrientParameters& p) {
    NutrientForm f;
    f.sensor_version = choice_index(sensor_version_choices, p.sensor_version);
    f.measure = {choice_index(channel_choices, p.long_measurement_channel),
                 choice_index(channel_choices, p.medium_measurement_channel),
                 choice_index(channel_choices, p.short_measurement_channel)};
    f.monitor = {choice_index(monitor_choices, p.long_monitoring_channel),
                 choice_index(monitor_choices, p.medium_monitoring_channel),
                 choice_index(monitor_choices, p.short_monitoring_channel)};
    f.output = choice_index(output_choices, p.output_channel);
    f.sample_intake_state = state_text(p.sample_intake_state);
    f.sample_measurement_state = state_text(p.sample_measurement_state);
    f.blank_measurement_state = state_text(p.blank_measurement_state);
    f.standard1_measurement_state = state_text(p.standard1_measurement_state);
    f.standard2_measurement_state = state_text(p.standard2_measurement_state);
    f.standard1_concentration = concentration_text(p.standard1_concentration);
    f.standard2_concentration = concentration_text(p.standard2_concentration);
    f.adjustment = choice_index(adjustment_choices, p.standard_adjustment);
    f.trigger = choice_index(trigger_choices, p.processing_trigger);
    f.optical_correction = p.optical_correction != 0;
    f.oc_sample_state = state_text(p.oc_sample_state);
    f.oc_blank_state = state_text(p.oc_blank_state);
    return f;
}

NutrientParameters nutrient_from_form(const NutrientForm& f) {
    // Every byte starts at 0, not at the record's defaults: what no control sets is 0.
    NutrientParameters p{};
    std::array<std::uint8_t, nutrient_parameters_size> zero{};
    p = decode_nutrient_parameters(zero);
    p.format = parameters_format_current;
    p.sensor_version = choice_code(sensor_version_choices, f.sensor_version);
    p.long_measurement_channel = choice_code(channel_choices, f.measure[0]);
    p.medium_measurement_channel = choice_code(channel_choices, f.measure[1]);
    p.short_measurement_channel = choice_code(channel_choices, f.measure[2]);
    p.long_monitoring_channel = choice_code(monitor_choices, f.monitor[0]);
    p.medium_monitoring_channel = choice_code(monitor_choices, f.monitor[1]);
    p.short_monitoring_channel = choice_code(monitor_choices, f.monitor[2]);
    p.output_channel = choice_code(output_choices, f.output);
    p.sample_intake_state = typed_state(f.sample_intake_state);
    p.sample_measurement_state = typed_state(f.sample_measurement_state);
    p.blank_measurement_state = typed_state(f.blank_measurement_state);
    p.standard1_measurement_state = typed_state(f.standard1_measurement_state);
    p.standard2_measurement_state = typed_state(f.standard2_measurement_state);
    p.standard1_concentration = typed_concentration(f.standard1_concentration);
    p.standard2_concentration = typed_concentration(f.standard2_concentration);
    p.standard_adjustment = choice_code(adjustment_choices, f.adjustment);
    p.processing_trigger = choice_code(trigger_choices, f.trigger);
    p.optical_correction = f.optical_correction ? 1 : 0;
    p.oc_sample_state = typed_state(f.oc_sample_state);
    p.oc_blank_state = typed_state(f.oc_blank_state);
    derive_legacy_monitoring(p);
    return p;
}

PhForm ph_form(const PhParameters& p) {
    PhForm f;
    f.sensor_version = choice_index(sensor_version_choices, p.sensor_version);
    f.blue_channel = choice_index(channel_choices, p.blue_channel);
    f.yellow_channel = choice_index(channel_choices, p.yellow_channel);
    f.sample_intake_state = state_text(p.sample_intake_state);
    f.sample_measurement_state = state_text(p.sample_measurement_state);
    f.blank_start_offset = std::to_string(p.blank_start_offset);
    f.blank_end_offset = std::to_string(p.blank_end_offset);
    const float values[7] = {
        p.absorbance_min_blue, p.absorbance_max_yellow, p.dph_dt, p.r_scale, p.r_offset,
        p.thermistor1_scale,   p.thermistor2_scale};
    for (std::size_t i = 0; i < 7; ++i)
        f.decimals[i] = decimal_text(values[i], 5);
    return f;
}

PhParameters ph_from_form(const PhForm& f) {
    std::array<std::uint8_t, ph_parameters_size> zero{};
    PhParameters p = decode_ph_parameters(zero);
    p.format = parameters_format_current;
    p.sensor_version = choice_code(sensor_version_choices, f.sensor_version);
    p.blue_channel = choice_code(channel_choices, f.blue_channel);
    p.yellow_channel = choice_code(channel_choices, f.yellow_channel);
    p.sample_intake_state = typed_state(f.sample_intake_state);
    p.sample_measurement_state = typed_state(f.sample_measurement_state);
    p.blank_start_offset =
        static_cast<std::uint16_t>(typed_unsigned(f.blank_start_offset) & 0xFFFF);
    p.blank_end_offset = static_cast<std::uint16_t>(typed_unsigned(f.blank_end_offset) & 0xFFFF);
    float* targets[7] = {
        &p.absorbance_min_blue, &p.absorbance_max_yellow, &p.dph_dt, &p.r_scale, &p.r_offset,
        &p.thermistor1_scale,   &p.thermistor2_scale};
    for (std::size_t i = 0; i < 7; ++i)
        *targets[i] = typed_decimal(f.decimals[i]);
    return p;
}

ChemistryConfig stored_page_config(ChemistryConfig copy, const ChemistryPage& page,
                                   std::string_view sample_interval, std::uint8_t multiplexer) {
    copy.chemistry = page.chemistry;
    switch (page.layout) {
        case PageLayout::nutrient:
            // The nutrient page has no interval or multiplexer of its own.
            copy.sample_interval_ms = 1000;
            copy.multiplexer = 0;
            break;
        case PageLayout::generic:
            copy.sample_interval_ms = typed_sample_interval(sample_interval);
            copy.multiplexer = 0;
            break;
        case PageLayout::ph:
            copy.sample_interval_ms = typed_sample_interval(sample_interval);
            copy.multiplexer =
                choice_code(multiplexer_choices, choice_index(multiplexer_choices, multiplexer));
            break;
    }
    return copy;
}

NutrientEnabling nutrient_enabling(bool configure, std::uint8_t adjustment, std::uint8_t trigger,
                                   bool optical_correction) {
    NutrientEnabling e;
    if (!configure)
        return e;
    constexpr std::uint8_t standard1 = 0, standard2 = 1;
    e.inputs = true;
    e.standard1_state = adjustment != standard2 || trigger == standard1;
    e.standard2_state = adjustment != standard1 || trigger == standard2;
    e.standard1_concentration = adjustment != standard2;
    e.standard2_concentration = adjustment != standard1;
    e.optical_correction = optical_correction;
    return e;
}

}  // namespace quelmar::config
