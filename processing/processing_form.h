#pragma once
// What the processing dialogs' controls hold and how their texts read back into parameters:
// the choice lists with their values, the number and decimal conversions with their clamps,
// and the rules that depend on the parameters (enabling, titles). The dialogs only move
// texts and selections between widgets and these functions.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "protocol/chemistry.h"

namespace quelmar::processing {

struct Choice {
    const char* text;
    std::uint8_t value;
};

std::span<const Choice> sensor_version_choices();  // "None" 0
std::span<const Choice> nutrient_type_choices();   // "Nitrate" 1 ... "Iron" 6
std::span<const Choice> channel_choices();         // "0" .. "7"
std::span<const Choice> monitor_choices();         // "None" 255, "0" .. "7"
std::span<const Choice> output_choices();      // "Medium" 1, "Short" 2, "Long" 0, "Adaptive" 254
std::span<const Choice> adjustment_choices();  // "Standard 1" 0, "Standard 2" 1, "Linear Fit" 2
std::span<const Choice> nutrient_trigger_choices();  // "Standard 1" 0 ... "Blank" 3
std::span<const Choice> ta_trigger_choices();        // "Blank (LED1)" 0 ... "Sample (LED2)" 3
std::span<const Choice> inlet_type_choices();        // "Unused" 0, "Sample" 1, "CRM" 2

// The entry a list shows for a stored value: the one with that value, else the first.
int choice_index(std::span<const Choice> choices, std::uint8_t value);
// Whether the value is one of the list's (a header may hold any byte).
bool has_choice(std::span<const Choice> choices, std::uint8_t value);
// The value of the selected entry; 0 when nothing is selected (index < 0).
std::uint8_t choice_value(std::span<const Choice> choices, int index);

// Texts typed into number fields read as unsigned decimals: an empty or non-numeric text is
// 0 and a number beyond 32 bits is held at the largest value.
std::uint32_t read_unsigned(std::string_view text);
std::uint8_t read_state(std::string_view text);    // above 254 reads as 254
std::uint16_t read_offset(std::string_view text);  // the low 16 bits
// Decimals with "." as the point, stored as 32-bit floats; empty or non-numeric is 0.
float read_real(std::string_view text);
// µM typed, thousandths stored (truncated).
std::uint32_t read_concentration(std::string_view text);

std::string concentration_text(std::uint32_t thousandths);  // "%.3f" of the µM
std::string real_text(float value, const char* format);     // "%.5f", "%g", ...
std::string crm_value_text(float value);                    // "%.2f" of value + 0.001

// The nutrient dialog's title after its type: "Process Raw Nitrate Data", ...; the general
// caption for a type that is no nutrient.
std::string nutrient_dialog_title(protocol::ChemistryType type);

// Which inputs of a DIC inlet its type makes relevant.
struct DicInletEnabling {
    bool intake_state;       // Sample only
    bool measurement_state;  // Sample and CRM
    bool crm_value;          // CRM only
};
DicInletEnabling dic_inlet_enabling(std::uint8_t type);

}  // namespace quelmar::processing
