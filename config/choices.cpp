#include "config/choices.h"

namespace quelmar::config {

int choice_index(std::span<const Choice> choices, std::uint32_t code) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].code == code) return static_cast<int>(i);
    return 0;
}

std::uint32_t choice_code(std::span<const Choice> choices, int index) {
    if (choices.empty()) return 0;
    if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) return choices[0].code;
    return choices[static_cast<std::size_t>(index)].code;
}

}  // namespace quelmar::config
