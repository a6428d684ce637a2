#pragma once
// A graph as a list of things to draw, computed without a window: the graph controls paint it
// into their off-screen image, and tests read the geometry and the texts straight from it.

#include <string>
#include <vector>

#include "live/raw_plot_input.h"

namespace quelmar::live {

// A box for text, in pixels: left and top inclusive, right and bottom exclusive.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PlotRect&, const PlotRect&) = default;
};

// Every text is on one line, centred vertically in its box.
enum class TextAlign { left, centre, right };

struct PlotText {
    std::string text;
    PlotRect box;
    TextAlign align = TextAlign::centre;
};

struct PlotLine {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    friend bool operator==(const PlotLine&, const PlotLine&) = default;
};

struct PlotPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb frame_grey{100, 100, 100};

}  // namespace quelmar::live
