#include "processing/processing_form.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "processing/c_locale.h"
#include "processing/header_scan.h"
#include "processing/nutrient_engine.h"

namespace quelmar::processing {

namespace {

constexpr Choice sensor_versions[] = {{"None", 0}};
constexpr Choice nutrient_types[] = {{"Nitrate", protocol::chemistry::nitrate},
                                     {"Phosphate", protocol::chemistry::phosphate},
                                     {"Silicate", protocol::chemistry::silicate},
                                     {"Nitrite", protocol::chemistry::nitrite},
                                     {"Iron", protocol::chemistry::iron}};
constexpr Choice channels[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3},
                               {"4", 4}, {"5", 5}, {"6", 6}, {"7", 7}};
constexpr Choice monitors[] = {{"None", 255}, {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3},
                               {"4", 4},      {"5", 5}, {"6", 6}, {"7", 7}};
constexpr Choice outputs[] = {{"Medium", 1}, {"Short", 2}, {"Long", 0}, {"Adaptive", 254}};
constexpr Choice adjustments[] = {{"Standard 1", 0}, {"Standard 2", 1}, {"Linear Fit", 2}};
constexpr Choice nutrient_triggers[] = {
    {"Standard 1", 0}, {"Standard 2", 1}, {"Sample", 2}, {"Blank", 3}};
constexpr Choice ta_triggers[] = {
    {"Blank (LED1)", 0}, {"Blank (LED2)", 1}, {"Sample (LED1)", 2}, {"Sample (LED2)", 3}};
constexpr Choice inlet_types[] = {{"Unused", 0}, {"Sample", 1}, {"CRM", 2}};

std::string text_of(std::string_view text) {
    return std::string(text);
}

}  // namespace

std::span<const Choice> sensor_version_choices() {
    return sensor_versions;
}
std::span<const Choice> nutrient_type_choices() {
    return nutrient_types;
}
std::span<const Choice> channel_choices() {
    return channels;
}
std::span<const Choice> monitor_choices() {
    return monitors;
}
std::span<const Choice> output_choices() {
    return outputs;
}
std::span<const Choice> adjustment_choices() {
    return adjustments;
}
std::span<const Choice> nutrient_trigger_choices() {
    return nutrient_triggers;
}
std::span<const Choice> ta_trigger_choices() {
    return ta_triggers;
}
std::span<const Choice> inlet_type_choices() {
    return inlet_types;
}

int choice_index(std::span<const Choice> choices, std::uint8_t value) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].value == value)
            return static_cast<int>(i);
    return 0;
}

bool has_choice(std::span<const Choice> choices, std::uint8_t value) {
    return std::any_of(choices.begin(), choices.end(),
                       [value](const Choice& c) { return c.value == value; });
}

std::uint8_t choice_value(std::span<const Choice> choices, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= choices.size())
        return 0;
    return choices[static_cast<std::size_t>(index)].value;
}

std::uint32_t read_unsigned(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::uint64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + static_cast<unsigned>(text[i] - '0');
        if (v > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(v);
}

std::uint8_t read_state(std::string_view text) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(read_unsigned(text), 254));
}

std::uint16_t read_offset(std::string_view text) {
    return static_cast<std::uint16_t>(read_unsigned(text));
}

float read_real(std::string_view text) {
    const std::string s = text_of(text);
    return static_cast<float>(strtod_l(s.c_str(), nullptr, c_locale()));
}

std::uint32_t read_concentration(std::string_view text) {
    return concentration_thousandths(text);
}

std::string concentration_text(std::uint32_t thousandths) {
    CLocaleScope scope;
    return common::format_text("%.3f", thousandths * 0.001);
}

std::string real_text(float value, const char* format) {
    CLocaleScope scope;
    return common::format_text(format, static_cast<double>(value));
}

std::string crm_value_text(float value) {
    CLocaleScope scope;
    return common::format_text("%.2f", static_cast<double>(value) + 0.001);
}

std::string nutrient_dialog_title(protocol::ChemistryType type) {
    const std::string name = nutrient_name(type);
    if (name.empty())
        return "Process Raw Nutrient Data";
    return "Process Raw " + name + " Data";
}

DicInletEnabling dic_inlet_enabling(std::uint8_t type) {
    return {type == 1, type == 1 || type == 2, type == 2};
}

}  // namespace quelmar::processing
