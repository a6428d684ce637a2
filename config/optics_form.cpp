#include "config/optics_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "common/decimal.h"
#include "common/text.h"

namespace quelmar::config {

using protocol::SensorStatus;
namespace status = protocol::status;

namespace {

template <class T>
T clamped(std::uint64_t v, T lo, T hi) {
    return static_cast<T>(std::clamp<std::uint64_t>(v, lo, hi));
}

std::string whole(std::uint64_t v) {
    return common::text_of(v);
}

}  // namespace

int stop_condition_index(std::uint8_t code) {
    for (std::size_t i = 0; i < stop_condition_codes.size(); ++i)
        if (stop_condition_codes[i] == code)
            return static_cast<int>(i);
    return 0;
}

std::uint8_t stop_condition_code(int index) {
    if (index < 0 || index >= static_cast<int>(stop_condition_codes.size()))
        return stop_condition::hall_sensors;
    return stop_condition_codes[static_cast<std::size_t>(index)];
}

std::uint16_t led_current_field(std::string_view text) {
    // Exact decimal thousandths: 1.2345 mA is 1234 µA, where the binary product would give
    // 1234 or 1235 depending on the digits.
    const auto ua = common::decimal_thousandths(text.substr(0, decimal_field_length));
    if (!ua || *ua <= 0)
        return 0;
    return static_cast<std::uint16_t>(std::min<std::int64_t>(*ua, max_led_current_ua));
}

void store_form(OpticsForm& form, OpticsSettings& s) {
    s.optics = OpticsDefaults{};
    s.optics.byte1 = 1;
    s.optics.photodiode_power = form.photodiode_power ? 1 : 0;
    for (std::size_t i = 0; i < led_count; ++i)
        s.optics.led_current_ua[i] = led_current_field(form.led_ma[i]);

    s.pmt = PmtSettings{};
    s.pmt.instrument = form.pmt_instrument == 1 ? pmt_instrument::h10492 : pmt_instrument::none;
    s.pmt.control_v = typed_decimal_box(form.pmt_control_v);
    if (s.pmt.instrument == pmt_instrument::h10492) {
        // The box then shows exactly the voltage stored, held or not.
        s.pmt.control_v = std::clamp(s.pmt.control_v, pmt_control_min_v, pmt_control_max_v);
        form.pmt_control_v = fixed_text(s.pmt.control_v, 5);
    }

    s.dic = DicConductivity{};
    s.dic.frequency_khz = clamped<std::uint16_t>(typed_unsigned(form.dic_frequency_khz), 20, 2000);
    s.dic.excitation_pct = clamped<std::uint8_t>(typed_unsigned(form.dic_excitation_pct), 0, 100);
    s.dic.offset_v = typed_decimal_box(form.dic_offset_v);
    s.dic.rxgain = form.dic_rxgain ? 1 : 0;

    s.pump = PumpValveDefaults{};
    s.pump.pump_direction = form.direction == 1 ? 1 : 0;
    s.pump.winding_current_ma =
        clamped<std::uint16_t>(typed_unsigned(form.pump_current_ma), 10, 1600);
    s.pump.step_period_us =
        clamped<std::uint32_t>(typed_unsigned(form.pump_step_period_us), 2, 131071);
    s.pump.microstep_code = static_cast<std::uint8_t>(
        std::clamp(form.microstepping, 0, int(microstep_items.size()) - 1));
    s.pump.stop_mode = stop_condition_code(form.stop_condition);
    s.pump.hall_stop_inject = clamped<std::uint16_t>(typed_unsigned(form.hall_inject), 1, 4095);
    s.pump.hall_stop_withdraw = clamped<std::uint16_t>(typed_unsigned(form.hall_withdraw), 1, 4095);
    s.pump.step_count = 0;
    s.pump.stop_time_s = clamped<std::uint32_t>(typed_unsigned(form.pump_timeout_s), 0,
                                                std::numeric_limits<std::uint32_t>::max());
    s.pump.hall_power = form.hall_power ? 1 : 0;
    s.pump.valve_spike_ms = clamped<std::uint16_t>(typed_unsigned(form.valve_spike_ms), 0, 3000);
}

void show_records(const OpticsSettings& s, OpticsForm& form) {
    for (std::size_t i = 0; i < led_count; ++i)
        form.led_ma[i] = fixed_text(s.optics.led_current_ua[i] * 0.001, 3);
    form.photodiode_power = s.optics.photodiode_power != 0;
    form.pmt_instrument = s.pmt.instrument == pmt_instrument::h10492 ? 1 : 0;
    form.pmt_control_v = fixed_text(s.pmt.control_v, 5);
    form.dic_frequency_khz = whole(s.dic.frequency_khz);
    form.dic_excitation_pct = whole(s.dic.excitation_pct);
    // The small offset keeps a stored 0.12345 from showing as 0.1234 after the float rounds.
    form.dic_offset_v = fixed_text(static_cast<double>(s.dic.offset_v) + 0.00001, 4);
    form.dic_rxgain = s.dic.rxgain != 0;
    form.pump_current_ma = whole(s.pump.winding_current_ma);
    form.pump_step_period_us = whole(s.pump.step_period_us);
    form.microstepping = s.pump.microstep_code < microstep_items.size() ? s.pump.microstep_code : 0;
    form.direction = s.pump.pump_direction == 1 ? 1 : 0;
    form.stop_condition = stop_condition_index(s.pump.stop_mode);
    form.hall_inject = whole(s.pump.hall_stop_inject);
    form.hall_withdraw = whole(s.pump.hall_stop_withdraw);
    form.pump_timeout_s = whole(s.pump.stop_time_s);
    form.hall_power = s.pump.hall_power != 0;
    form.valve_spike_ms = whole(s.pump.valve_spike_ms);
}

void stop_condition_chosen(OpticsForm& form, OpticsSettings& settings) {
    store_form(form, settings);
    if (settings.pump.stop_mode != stop_condition::hall_sensors)
        return;
    settings.pump.hall_power = 1;
    show_records(settings, form);
}

std::uint16_t valve_mask(const OpticsForm& form) {
    std::uint16_t mask = 0;
    for (std::size_t i = 0; i < valve_count; ++i)
        if (form.valves[i])
            mask = static_cast<std::uint16_t>(mask | (1u << i));
    return mask;
}

OpticsEnabling idle_enabling(const OpticsSettings& settings, const OpticsForm& form) {
    const std::uint8_t stop = stop_condition_code(form.stop_condition);
    OpticsEnabling e;
    e.pmt_instrument = settings.pmt_supported;
    e.pmt_control = settings.pmt_supported && form.pmt_instrument == 1;
    e.dic = settings.dic_supported;
    e.hall_stop_values = stop == stop_condition::hall_sensors;
    e.pump_timeout = stop == stop_condition::hall_sensors || stop == stop_condition::timeout;
    e.hall_power = stop != stop_condition::hall_sensors;
    e.valve_boxes = form.test_valves;
    e.pump_continuously = form.test_pump;
    e.start = form.test_valves || form.test_optics || form.test_pump;
    return e;
}

SensorStatus load_optics_settings(link::SensorLink& link, OpticsSettings& s) {
    SensorStatus result = read_optics_defaults(link, s.optics);
    if (result == status::ok)
        result = protocol::read_chemistry_config(link, s.chemistry);
    if (result == status::ok)
        result = read_pump_valve_defaults(link, s.pump);

    if (read_pmt_settings(link, s.pmt) == status::ok) {
        s.pmt_supported = true;
    } else {
        s.pmt.byte0 = 0;
        s.pmt.instrument = pmt_instrument::none;
        s.pmt.control_v = 0;
    }
    if (s.chemistry.chemistry == protocol::chemistry::dic) {
        if (read_dic_conductivity(link, s.dic) == status::ok) {
            s.dic_supported = true;
        } else {
            s.dic.byte0 = 0;
            s.dic.rxgain = 0;
            s.dic.offset_v = 0;
        }
    }
    return result;
}

SensorStatus save_optics_settings(link::SensorLink& link, const OpticsSettings& s) {
    SensorStatus result = write_optics_defaults(link, s.optics);
    if (result == status::ok && s.pmt_supported)
        result = write_pmt_settings(link, s.pmt);
    if (result == status::ok && s.dic_supported)
        result = write_dic_conductivity(link, s.dic);
    if (result == status::ok)
        result = write_pump_valve_defaults(link, s.pump);
    return result;
}

}  // namespace quelmar::config
