#pragma once
// The lists the configuration dialogs offer: each entry a text shown and the code the sensor
// stores. A code the sensor holds that no entry offers shows the first entry.

#include <cstdint>
#include <span>
#include <string_view>

namespace quelmar::config {

struct Choice {
    std::string_view text;
    std::uint32_t code;
};

// The position of `code` among `choices`; 0 when it is not offered.
int choice_index(std::span<const Choice> choices, std::uint32_t code);
// The code at `index`; the first entry's code for an index outside the list.
std::uint32_t choice_code(std::span<const Choice> choices, int index);

}  // namespace quelmar::config
