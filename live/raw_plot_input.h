#pragma once
// What the raw graph draws, as one plain record: a copy of the readings history with the
// settings of the raw graph view. The view fills it on the user-interface thread, copying the
// history and the platform snapshot out of the status monitor while holding the monitor's lock,
// then releases the lock and hands the record to the control, which keeps it. The control never
// touches the monitor, so nothing it draws can change under it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/readings.h"
#include "config/thermistor_config.h"

namespace quelmar::live {

constexpr std::size_t raw_channel_count = protocol::channel_count;

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Trace colour of each channel; the raw graph view uses the same colours for its swatches.
inline constexpr std::array<Rgb, raw_channel_count> raw_channel_colours{{
    {255, 0, 0},
    {0, 255, 0},
    {0, 0, 255},
    {255, 255, 0},
    {0, 255, 255},
    {255, 0, 255},
    {255, 255, 255},
    {0, 0, 0},
}};

struct RawPlotInput {
    // False while the status monitor is stopped: the graph then shows no trace.
    bool monitor_running = false;
    // Oldest first, as ReadingsHistory::newest() gives them. Only the newest plot-width entries
    // are drawn (RawGraphControl::plot_width()), so a view need copy no more.
    std::vector<protocol::ReadingsBytes> entries;
    // Which channels are drawn (the raw graph view's channel check boxes).
    std::array<bool, raw_channel_count> channel_shown{};
    // "Platform Data" check box and the platform snapshot it shows.
    bool platform_overlay = false;
    protocol::PlatformBytes platform{};  // StatusMonitor::platform_snapshot()
    // "Thermistor Temps" check box and the three thermistor configurations (a configuration that
    // could not be read is all zero).
    bool thermistor_overlay = false;
    std::array<config::ThermistorConfig, config::thermistor_count> thermistors{};
};

}  // namespace quelmar::live
