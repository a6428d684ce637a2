#pragma once
// "Configure Optics, Valves & Pump Defaults" without its window: what each box of the dialog
// holds, how the boxes become the four records (with every clamp and conversion) and back,
// which controls are enabled, and the load and save sequences against the sensor.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/optics_defaults.h"
#include "config/typed_fields.h"
#include "link/sensor_link.h"
#include "protocol/chemistry.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t valve_count = 16;
constexpr std::size_t led_count = 4;
constexpr std::uint16_t max_led_current_ua = 48000;
constexpr float pmt_control_min_v = 0.5f;  // H10492
constexpr float pmt_control_max_v = 1.1f;

// The lists, in the order the user sees them. "Pump Stop Condition" lists Timeout before
// Step Count, so its positions are not the stored codes.
inline constexpr std::array<const char*, 2> pmt_instrument_items{"None", "H10492 (Hamamatsu)"};
inline constexpr std::array<const char*, 5> microstep_items{"16", "8", "4", "2", "1"};
inline constexpr std::array<const char*, 2> direction_items{"Inject", "Withdraw"};
inline constexpr std::array<const char*, 3> stop_condition_items{"Hall Sensors", "Timeout",
                                                                 "Step Count"};
inline constexpr std::array<std::uint8_t, 3> stop_condition_codes{0, 2, 1};

namespace stop_condition {
constexpr std::uint8_t hall_sensors = 0;
constexpr std::uint8_t step_count = 1;
constexpr std::uint8_t timeout = 2;
}  // namespace stop_condition

int stop_condition_index(std::uint8_t code);  // an unknown code shows as Hall Sensors
std::uint8_t stop_condition_code(int index);

// What the dialog's controls hold: texts as typed, list positions, box states.
struct OpticsForm {
    std::array<std::string, led_count> led_ma;
    bool photodiode_power = false;
    int pmt_instrument = 0;
    std::string pmt_control_v;
    std::string dic_frequency_khz;
    std::string dic_excitation_pct;
    std::string dic_offset_v;
    bool dic_rxgain = false;
    std::string pump_current_ma;
    std::string pump_step_period_us;
    int microstepping = 0;
    int direction = 0;
    int stop_condition = 0;  // position in stop_condition_items
    std::string hall_inject;
    std::string hall_withdraw;
    std::string pump_timeout_s;
    bool hall_power = false;
    std::string valve_spike_ms;
    // Test only, never saved.
    std::array<bool, valve_count> valves{};
    bool test_valves = false;
    bool test_optics = false;
    bool test_pump = false;
    bool pump_continuously = false;
};

// Everything the dialog keeps besides its controls.
struct OpticsSettings {
    OpticsDefaults optics;
    PumpValveDefaults pump;
    DicConductivity dic;
    PmtSettings pmt;
    protocol::ChemistryConfig chemistry;  // the sample interval and multiplexer of the optics test
    bool pmt_supported = false;           // the sensor answered 374
    bool dic_supported = false;           // a DIC sensor that answered 372
};

// Boxes are read by config/typed_fields (decimals from their first 23 characters).
// mA typed as a decimal, to whole µA truncated toward zero and capped at 48000.
std::uint16_t led_current_field(std::string_view text);

// Rebuilds the four records from the controls (every record cleared first). With the H10492
// the control voltage is held to 0.5..1.1 and its box rewritten with "%.5f", so `form` may
// change.
void store_form(OpticsForm& form, OpticsSettings& settings);
// Writes the records into the controls; the test boxes are left alone.
void show_records(const OpticsSettings& settings, OpticsForm& form);
// A new choice in "Pump Stop Condition": Hall Sensors needs their power, so it is switched on.
void stop_condition_chosen(OpticsForm& form, OpticsSettings& settings);

std::uint16_t valve_mask(const OpticsForm& form);

struct OpticsEnabling {
    bool pmt_instrument = false;
    bool pmt_control = false;
    bool dic = false;
    bool hall_stop_values = false;
    bool pump_timeout = false;
    bool hall_power = false;
    bool valve_boxes = false;
    bool pump_continuously = false;
    bool start = false;
};
// While no test runs; the controls not named here are always enabled, "Show as volts" never.
OpticsEnabling idle_enabling(const OpticsSettings& settings, const OpticsForm& form);

// 368, then 400, then 352 (the load has failed at the first of these to fail, whose status is
// returned); then 374 and, on a DIC sensor, 372, which only set their flags.
protocol::SensorStatus load_optics_settings(link::SensorLink& link, OpticsSettings& settings);
// 369, 375 (with a photomultiplier), 373 (DIC), 353; the first non-zero status ends it.
protocol::SensorStatus save_optics_settings(link::SensorLink& link, const OpticsSettings& settings);

}  // namespace quelmar::config
