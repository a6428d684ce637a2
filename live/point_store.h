#pragma once
// The processed graph's points: the newest results as (time, value) with the pixel position each
// had at the last redraw, and the full range they span. The live view keeps the newest 400; the
// processing dialogs keep as many as their results list (5001).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "live/zoom_stack.h"

namespace quelmar::live {

constexpr std::size_t point_capacity = 400;

struct StoredPoint {
    std::uint32_t x = 0;  // seconds since 1970 UTC
    double y = 0;
    // Where the last redraw put it; only meaningful while `drawn` (a point outside the range
    // shown, or one that arrived since, has not been drawn).
    int px = 0;
    int py = 0;
    bool drawn = false;
};

class PointStore {
  public:
    explicit PointStore(std::size_t capacity = point_capacity)
        : capacity_(capacity > 0 ? capacity : 1) {}

    // Takes in a point. A value that is not a finite number is refused (false): it has no place
    // on a value axis. When the store is full the oldest point is dropped first, and the time
    // range and the data minimum and maximum shrink to the points kept; the value range of the
    // full range only ever grows (or is set anew for a chemistry).
    bool add(std::uint32_t x, double y);
    // Drops the oldest `count` points (all of them when there are fewer); they count as dropped.
    void drop_oldest(std::size_t count);
    // No points, ranges back to nothing; the dropped count is kept.
    void clear();

    const std::vector<StoredPoint>& points() const { return points_; }
    std::vector<StoredPoint>& points() { return points_; }
    std::size_t size() const { return points_.size(); }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return points_.empty(); }
    // How many points were dropped to make room, since the store was made.
    std::size_t dropped() const { return dropped_; }

    const PlotRange& full_range() const { return full_; }
    // Both 0 until the first point.
    double data_min() const { return data_min_; }
    double data_max() const { return data_max_; }

    // The value range for a chemistry: its default, widened to the data minimum and maximum.
    void set_value_range(double ymin, double ymax);

  private:
    void rescan_after_drop();

    std::size_t capacity_;
    std::vector<StoredPoint> points_;
    PlotRange full_{};
    double data_min_ = 0;
    double data_max_ = 0;
    std::size_t dropped_ = 0;
};

}  // namespace quelmar::live
