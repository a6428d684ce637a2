#pragma once
// The processed graph's ranges: the range a zoom shows, the history of up to ten zooms that a
// right click steps back through, and how a zoom window keeps up with new data.

#include <array>
#include <cstdint>

namespace quelmar::live {

// Times in seconds since 1970 UTC across, values up.
struct PlotRange {
    std::uint32_t xmin = 0;
    std::uint32_t xmax = 0;
    double ymin = 0;
    double ymax = 0;
    friend bool operator==(const PlotRange&, const PlotRange&) = default;
};

constexpr int max_zoom_level = 10;

class ZoomStack {
  public:
    // 0 shows the full range; 1..10 the zooms pushed so far.
    int level() const { return level_; }
    bool at_limit() const { return level_ == max_zoom_level; }

    // False (and nothing changes) when ten zooms are already stacked.
    bool push(const PlotRange& range);
    // Back one zoom; false at level 0.
    bool pop();
    void reset() { level_ = 0; }

    // The range shown: the full range at level 0, else the newest zoom.
    PlotRange current(const PlotRange& full) const;
    // The newest zoom, or nullptr at level 0.
    PlotRange* top() { return level_ > 0 ? &levels_[level_ - 1] : nullptr; }

  private:
    std::array<PlotRange, max_zoom_level> levels_{};
    int level_ = 0;
};

// A zoom window that ends at the newest data keeps up with a new point (x, y) arriving while
// the full range is `full` (before it takes the point in): a window that starts at the oldest
// data grows to the new time, any other moves along with it; either way its value range takes
// the new value in. A window on older data stays where it is.
void follow_new_point(PlotRange& window, const PlotRange& full, std::uint32_t x, double y);

// The plot rectangle in pixels, edges inclusive.
struct PlotArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// A drag counts once it is more than 2 pixels long across or up.
bool is_zoom_drag(int x0, int y0, int x1, int y1);

// The range a drag from (x0, y0) to (x1, y1), both inside `plot`, selects within `current`:
// a drag mostly across narrows the times, a drag mostly up or down narrows the values; the
// other axis is kept.
PlotRange zoomed_range(const PlotRange& current, const PlotArea& plot, int x0, int y0, int x1,
                       int y1);

}  // namespace quelmar::live
