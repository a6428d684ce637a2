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

namespace quelmar::live {

constexpr std::size_t readings_entry_size = 58;
constexpr std::size_t platform_data_size = 36;
constexpr std::size_t raw_channel_count = 8;
constexpr std::size_t thermistor_count = 3;
// The monitor keeps one hour at one reading a second.
constexpr std::size_t readings_history_capacity = 3600;

// One readings entry exactly as the status monitor stores it (bytes 1..58 of the reading reply).
using ReadingsEntryBytes = std::array<std::uint8_t, readings_entry_size>;
// The platform data snapshot (reply of the platform data command; all zero after a failed read).
using PlatformDataBytes = std::array<std::uint8_t, platform_data_size>;

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

// The part of a thermistor configuration the temperature overlay needs. A configuration that
// could not be read is all zero (its temperature shows as 0.000).
struct RawPlotThermistor {
    std::uint8_t channel = 0;  // input channel 0..7; anything else reads as 0 V
    float cube = 0;
    float square = 0;
    float linear = 0;
    float constant = 0;
};

struct RawPlotInput {
    // False while the status monitor is stopped: the graph then shows no trace.
    bool monitor_running = false;
    // Oldest first. Only the newest plot-width entries are drawn (RawGraphControl::plot_width()),
    // so a view may copy just those.
    std::vector<ReadingsEntryBytes> entries;
    // Which channels are drawn (the raw graph view's channel check boxes).
    std::array<bool, raw_channel_count> channel_shown{};
    // "Platform Data" check box and the platform snapshot it shows.
    bool platform_overlay = false;
    PlatformDataBytes platform{};
    // "Thermistor Temps" check box and the three thermistor configurations.
    bool thermistor_overlay = false;
    std::array<RawPlotThermistor, thermistor_count> thermistors{};
};

}  // namespace quelmar::live
