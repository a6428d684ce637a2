#include "live/raw_graph_settings.h"

#include "common/text.h"

namespace quelmar::live {

RawGraphSettings& raw_graph_settings() {
    static RawGraphSettings settings;
    return settings;
}

std::array<bool, 8> default_channels(protocol::ChemistryType type, bool read_ok) {
    std::array<bool, 8> shown{};
    if (!read_ok) return shown;
    switch (type) {
        case protocol::chemistry::generic: shown.fill(true); break;
        case protocol::chemistry::phosphate:
            for (int i = 0; i < 4; ++i) shown[i] = true;
            break;
        case protocol::chemistry::ph:
            for (int i : {0, 1, 3, 4, 5}) shown[i] = true;
            break;
        case protocol::chemistry::nitrate:
        case protocol::chemistry::silicate:
        case protocol::chemistry::nitrite:
        case protocol::chemistry::iron:
        case protocol::chemistry::ta:
        case protocol::chemistry::dic:
        case protocol::chemistry::ammonia: shown[0] = true; break;
        default: break;
    }
    return shown;
}

std::string channel_label(protocol::ChemistryType type, std::size_t channel) {
    static const char* const nutrient[8] = {"Long",        "Medium",      "Short",
                                            "N/A",         "Monitor (L)", "Monitor (M)",
                                            "Monitor (S)", "Temperature"};
    static const char* const ph[8] = {"Blue",          "Yellow",        "Monitor (B)", "Monitor (Y)",
                                      "Temperature 1", "Temperature 2", "NA",          "NA"};
    if (channel >= 8) return {};
    if (protocol::is_nutrient_chemistry(type)) return nutrient[channel];
    if (type == protocol::chemistry::ph) return ph[channel];
    return common::format_text("Channel %zu", channel);
}

}  // namespace quelmar::live
