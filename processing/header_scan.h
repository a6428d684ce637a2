#pragma once
// What each processing reader takes from a raw output file's header: the chemistry, the
// parameter record and the thermistor calibrations, and for the multi-file reader the sensor
// name and the keys of the older single-path header.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/chemistry_parameters.h"
#include "processing/raw_file.h"
#include "processing/raw_record.h"
#include "protocol/chemistry.h"

namespace quelmar::processing {

using protocol::ChemistryType;

// Temperature in °C = a·v³ + b·v² + c·v + d, v the input channel's value in volts.
struct ThermistorCalibration {
    std::uint8_t channel = 0;
    float a = 0;
    float b = 0;
    float c = 0;
    float d = 0;
};

// 0 V for a channel beyond the eight, which the settings checks refuse before processing.
inline double channel_value(const RawRecord& r, std::uint8_t channel) {
    return channel < channel_count ? r.channels[channel] : 0.0;
}
double thermistor_temperature(const ThermistorCalibration& cal, const RawRecord& r);

struct NutrientSettings {
    ChemistryType chemistry = 0;  // the nutrient type
    config::NutrientParameters params;
    std::string sensor_name;  // multi-file reader only, at most 20 characters
    // The older single-path header (multi-file reader only).
    bool has_input_channel = false;
    std::uint32_t input_channel = 0;
    std::uint32_t drift_correction = 0;
    std::uint8_t drift_monitoring_channel = 0;
};

struct PhSettings {
    ChemistryType chemistry = protocol::chemistry::ph;  // assumed when the header has no type
    std::uint32_t sample_interval_ms = 100;
    config::PhParameters params;
    std::array<ThermistorCalibration, 2> thermistors{};
};

struct TaSettings {
    ChemistryType chemistry = 0;
    config::TaParameters params;
    std::array<ThermistorCalibration, 2> thermistors{};
};

struct DicSettings {
    ChemistryType chemistry = 0;
    config::DicParameters params;
    ThermistorCalibration thermistor;  // thermistor 0
};

// What a header scan starts from: every field 0 except those named otherwise.
NutrientSettings nutrient_scan_defaults();  // monitoring channels none
PhSettings ph_scan_defaults();              // interval 100 ms, thermistor weights 0.5
TaSettings ta_scan_defaults();
DicSettings dic_scan_defaults();

enum class NutrientReader { single_file, multi_file };

struct HeaderScan {
    bool header_found = false;  // a "%QUELMAR.HEADER_START" line before the stop
    bool read_error = false;
};

// Each scan rewinds the source, resets the settings to the scan defaults and reads key lines
// up to its stop: the end marker (or the "%Counter" title line), or for pH the end of file.
// A key written twice keeps its last value. The multi-file scan then applies an older
// single-path header.
HeaderScan scan_nutrient_header(RawSource& source, NutrientSettings& s, NutrientReader reader);
HeaderScan scan_ph_header(RawSource& source, PhSettings& s);
HeaderScan scan_ta_header(RawSource& source, TaSettings& s);
HeaderScan scan_dic_header(RawSource& source, DicSettings& s);

// One line tried against the reader's keys as the scan does; false when it is none of them.
bool apply_nutrient_key(std::string_view line, NutrientSettings& s, NutrientReader reader);
bool apply_ph_key(std::string_view line, PhSettings& s);
bool apply_ta_key(std::string_view line, TaSettings& s);
bool apply_dic_key(std::string_view line, DicSettings& s);

// The older single-path header, when it was given, replaces the per-path channels.
void apply_single_path_header(NutrientSettings& s);

// Standard concentration in µM to thousandths, truncated; out of the 32-bit range it is held
// at the nearer end (and NaN as 0) instead of being undefined. The text form truncates the
// decimal as written ("2.01" is 2010, where 2.01 × 1000 in binary is 2009.99...); only the
// forms that are no plain decimal (hexadecimal, infinity, NaN) go through the binary value.
std::uint32_t concentration_thousandths(std::string_view text);
std::uint32_t concentration_thousandths(double micromolar);

// Empty when the settings can be processed, else the message that says why not: a channel
// beyond the eight input channels, or for pH a sample interval of 0.
std::string check_nutrient_settings(const NutrientSettings& s);
std::string check_ph_settings(const PhSettings& s);
std::string check_ta_settings(const TaSettings& s);
std::string check_dic_settings(const DicSettings& s);

}  // namespace quelmar::processing
