#pragma once
// What the raw output graph shows: which of the eight channels, and the two overlays. The
// settings last for the program's run (they survive switching views and reconnecting); the
// channels are chosen from the sensor's chemistry the first time the graph opens.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "protocol/chemistry.h"

namespace quelmar::live {

struct RawGraphSettings {
    std::array<bool, 8> channel_shown{};
    bool platform_overlay = false;    // "Platform Data"
    bool thermistor_overlay = false;  // "Thermistor Temps"
    bool channels_chosen = false;     // set once the first graph view chose by chemistry
};

// The program's one copy. The graph view and its control run on the user-interface thread.
RawGraphSettings& raw_graph_settings();

// The first-run channel choice for a chemistry; `read_ok` false (no chemistry known) shows none.
std::array<bool, 8> default_channels(protocol::ChemistryType type, bool read_ok);

// The label of channel 0..7 on a sensor of this chemistry.
std::string channel_label(protocol::ChemistryType type, std::size_t channel);

}  // namespace quelmar::live
