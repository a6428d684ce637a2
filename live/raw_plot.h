#pragma once
// The raw graph's geometry and contents for a given size, without a window: where the plot
// sits, the axis labels, the channel traces, the counter and state labels and the overlays.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "live/plot_scene.h"
#include "live/raw_plot_input.h"

namespace quelmar::live {

inline constexpr Rgb raw_background{150, 150, 150};

struct RawPlotGeometry {
    // The client area: left and top inclusive, right and bottom one past the last pixel.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int plot_left = 0;  // x of the oldest reading shown
    int plot_right = 0;
    int plot_top = 0;
    int plot_bottom = 0;  // y of 0 V
    int plot_width = 0;   // pixel columns, one reading each
    int plot_height = 0;
    int axis_y = 0;        // the x axis line
    bool plotted = false;  // false: too small, the graph is only the grey background
};

RawPlotGeometry raw_plot_geometry(int width, int height);

// Readings shown at this size: one per pixel column, at most the history's capacity.
int raw_plot_capacity(int width, int height);

struct RawPlotScene {
    RawPlotGeometry geometry;
    // Frame, bottom edge, axes and counter ticks are drawn in white on top of the frame.
    std::vector<PlotLine> white_lines;
    // One polyline per channel, empty for a hidden channel (or with fewer than two readings).
    std::array<std::vector<PlotPoint>, raw_channel_count> traces;
    std::vector<PlotText> texts;
    int readings_shown = 0;
};

// The overlay line of the platform snapshot.
std::string platform_overlay_text(const protocol::PlatformBytes& platform);

// Lays out the graph for a client area of width x height. `held_x`, `held_y`: the pointer while
// the left button is held over the control (held_x 0: not held). `scene` is refilled; its
// buffers are reused from one redraw to the next.
void layout_raw_plot(const RawPlotInput& input, int width, int height, int held_x, int held_y,
                     RawPlotScene& scene);

}  // namespace quelmar::live
