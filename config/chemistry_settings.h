#pragma once
// What the "Configure Chemistry" dialog does, without a window: its table of pages, the
// buffers it keeps between openings, loading and saving through the sensor, the page defaults,
// the conversion of every field between its text and its record, and the enabling rules.
// The dialog and its pages only move texts and list choices in and out of these forms.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/chemistry_parameters.h"
#include "config/choices.h"
#include "config/typed_fields.h"
#include "link/sensor_link.h"
#include "protocol/chemistry.h"

namespace quelmar::config {

using protocol::ChemistryConfig;
using protocol::ChemistryType;
using protocol::SensorStatus;

enum class PageLayout { generic, nutrient, ph };

struct ChemistryPage {
    const char* name;  // the tab text
    PageLayout layout;
    ChemistryType chemistry;
    std::size_t record_size;
};

constexpr std::size_t chemistry_page_count = 7;
// In table order: loading picks the first page whose chemistry matches the sensor's.
inline constexpr std::array<ChemistryPage, chemistry_page_count> chemistry_pages{{
    {"Generic", PageLayout::generic, protocol::chemistry::generic, generic_parameters_size},
    {"Nitrate", PageLayout::nutrient, protocol::chemistry::nitrate, nutrient_parameters_size},
    {"Nitrite", PageLayout::nutrient, protocol::chemistry::nitrite, nutrient_parameters_size},
    {"Phosphate", PageLayout::nutrient, protocol::chemistry::phosphate, nutrient_parameters_size},
    {"Silicate", PageLayout::nutrient, protocol::chemistry::silicate, nutrient_parameters_size},
    {"Iron", PageLayout::nutrient, protocol::chemistry::iron, nutrient_parameters_size},
    {"pH", PageLayout::ph, protocol::chemistry::ph, ph_parameters_size},
}};

// The page of a chemistry, or nullptr when no page edits it (TA, DIC, Ammonia, unknown).
const ChemistryPage* page_for_chemistry(ChemistryType chemistry);
const ChemistryPage& generic_page();

// The last configuration read from or written to the sensor, and one parameter buffer per
// layout: the five nutrient pages share theirs, as they share one record layout.
struct ChemistryBuffers {
    ChemistryConfig config{};
    std::array<std::uint8_t, generic_parameters_size> generic{};
    std::array<std::uint8_t, nutrient_parameters_size> nutrient{};
    std::array<std::uint8_t, ph_parameters_size> ph{};
};
std::span<std::uint8_t> parameter_buffer(ChemistryBuffers& buffers, PageLayout layout);

// Reads the configuration into buffers.config and, for the first page of its chemistry, that
// page's parameters. A chemistry without a page answers 4 (as does a sensor refusing the
// parameter record), so the caller can send the user to the compatibility view.
SensorStatus load_chemistry(link::SensorLink& link, ChemistryBuffers& buffers,
                            const ChemistryPage*& page);
// Writes the configuration, then the page's parameters; the first failure is the result.
SensorStatus save_chemistry(link::SensorLink& link, ChemistryBuffers& buffers,
                            const ChemistryPage& page);

// The configuration a page starts from when the sensor's cannot be used: no start states but
// the manual deployment one (state 0).
ChemistryConfig default_chemistry_config(const ChemistryPage& page);

// --- Texts typed into fields -------------------------------------------------------------

// The sample interval in milliseconds: anything typed is held to 100..1000.
std::uint32_t typed_sample_interval(std::string_view text);
// A state number: 255 means none, so a typed 255 or more is stored as 254.
std::uint8_t typed_state(std::string_view text);
// µM as thousandths, truncated toward zero and held to the 32-bit field (negative as 0).
std::uint32_t typed_concentration(std::string_view text);

std::string concentration_text(std::uint32_t thousandths);  // "%.3f" of the µM
std::string state_text(std::uint8_t state);
std::string dilution_text(ChemistryType chemistry);      // "1:%.3f"
std::string configure_caption(ChemistryType chemistry);  // "Configure Sensor For ..."

// --- Lists -------------------------------------------------------------------------------

inline constexpr Choice sensor_version_choices[] = {{"None", 0}};
inline constexpr Choice channel_choices[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3},
                                             {"4", 4}, {"5", 5}, {"6", 6}, {"7", 7}};
inline constexpr Choice monitor_choices[] = {{"None", 255}, {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3},
                                             {"4", 4},      {"5", 5}, {"6", 6}, {"7", 7}};
inline constexpr Choice output_choices[] = {
    {"Medium", 1}, {"Short", 2}, {"Long", 0}, {"Adaptive", 254}};
inline constexpr Choice adjustment_choices[] = {
    {"Standard 1", 0}, {"Standard 2", 1}, {"Linear Fit", 2}};
inline constexpr Choice trigger_choices[] = {
    {"Standard 1", 0}, {"Standard 2", 1}, {"Sample", 2}, {"Blank", 3}};
inline constexpr Choice multiplexer_choices[] = {{"None", 0}, {"pH", 1}};


// --- Page forms: what the controls hold ----------------------------------------------------

struct GenericForm {
    std::string sample_intake_state;
    std::string sample_measurement_state;
    std::array<std::string, 8> scales;
    std::array<std::string, 8> offsets;
};
GenericForm generic_form(const GenericParameters& p);
GenericParameters generic_from_form(const GenericForm& f);

struct NutrientForm {
    int sensor_version = 0;
    std::array<int, 3> measure{};  // Long, Medium, Short rows
    std::array<int, 3> monitor{};
    int output = 0;
    std::string sample_intake_state;
    std::string sample_measurement_state;
    std::string blank_measurement_state;
    std::string standard1_measurement_state;
    std::string standard2_measurement_state;
    std::string standard1_concentration;
    std::string standard2_concentration;
    int adjustment = 0;
    int trigger = 0;
    bool optical_correction = false;
    std::string oc_sample_state;
    std::string oc_blank_state;
};
NutrientForm nutrient_form(const NutrientParameters& p);
// Format 1 and the legacy monitoring bytes derived from the chosen output channel.
NutrientParameters nutrient_from_form(const NutrientForm& f);

struct PhForm {
    int sensor_version = 0;
    int blue_channel = 0;
    int yellow_channel = 0;
    std::string sample_intake_state;
    std::string sample_measurement_state;
    std::string blank_start_offset;
    std::string blank_end_offset;
    // Absorbance min (blue), max (yellow), dpH/dT, R scale, R offset, thermistor 1 and 2 scale.
    std::array<std::string, 7> decimals;
};
inline constexpr const char* ph_decimal_labels[7] = {
    "Absorbance Min (Blue)",          "Absorbance Max (Yellow)", "dpH/dT",
    "R-adjustment (scale)",           "R-adjustment (offset)",   "Thermistor 1 Adjustment (scale)",
    "Thermistor 2 Adjustment (scale)"};
PhForm ph_form(const PhParameters& p);
PhParameters ph_from_form(const PhForm& f);

// The configuration a page stores: its chemistry, interval and multiplexer over the copy it
// holds, every other byte (start states, bytes the program does not interpret) unchanged.
ChemistryConfig stored_page_config(ChemistryConfig copy, const ChemistryPage& page,
                                   std::string_view sample_interval, std::uint8_t multiplexer);

// --- Enabling ----------------------------------------------------------------------------

struct NutrientEnabling {
    bool inputs = false;  // every input not listed below, and the dialog's Save
    bool standard1_state = false;
    bool standard2_state = false;
    bool standard1_concentration = false;
    bool standard2_concentration = false;
    bool optical_correction = false;  // dilution and both optical correction states
};
NutrientEnabling nutrient_enabling(bool configure, std::uint8_t adjustment, std::uint8_t trigger,
                                   bool optical_correction);

}  // namespace quelmar::config
