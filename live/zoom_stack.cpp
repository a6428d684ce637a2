#include "live/zoom_stack.h"

#include <algorithm>
#include <cstdlib>

namespace quelmar::live {

bool ZoomStack::push(const PlotRange& range) {
    if (at_limit())
        return false;
    levels_[level_++] = range;
    return true;
}

bool ZoomStack::pop() {
    if (level_ == 0)
        return false;
    --level_;
    return true;
}

PlotRange ZoomStack::current(const PlotRange& full) const {
    return level_ > 0 ? levels_[level_ - 1] : full;
}

void follow_new_point(PlotRange& window, const PlotRange& full, std::uint32_t x, double y) {
    if (window.xmax != full.xmax)
        return;
    if (x > full.xmax) {
        if (window.xmin == full.xmin) {
            window.xmax = x;
        } else {
            const std::uint32_t shift = x - full.xmax;
            window.xmin += shift;
            window.xmax += shift;
        }
    }
    window.ymin = std::min(window.ymin, y);
    window.ymax = std::max(window.ymax, y);
}

bool is_zoom_drag(int x0, int y0, int x1, int y1) {
    return std::abs(x1 - x0) > 2 || std::abs(y1 - y0) > 2;
}

PlotRange zoomed_range(const PlotRange& current, const PlotArea& plot, int x0, int y0, int x1,
                       int y1) {
    if (plot.right < plot.left || plot.bottom < plot.top)
        return current;
    x0 = std::clamp(x0, plot.left, plot.right);
    x1 = std::clamp(x1, plot.left, plot.right);
    y0 = std::clamp(y0, plot.top, plot.bottom);
    y1 = std::clamp(y1, plot.top, plot.bottom);
    PlotRange r = current;
    // Both ends move by fractions of the range as it was before the zoom.
    if (std::abs(y1 - y0) < std::abs(x1 - x0)) {
        const double width = static_cast<double>(current.xmax - current.xmin);
        const double w = plot.width();
        r.xmin =
            current.xmin + static_cast<std::uint32_t>((std::min(x0, x1) - plot.left) / w * width);
        r.xmax =
            current.xmax - static_cast<std::uint32_t>((plot.right - std::max(x0, x1)) / w * width);
    } else {
        const double span = current.ymax - current.ymin;
        const double h = plot.height();
        r.ymax = current.ymax - (std::min(y0, y1) - plot.top) / h * span;
        r.ymin = current.ymin + (plot.bottom - std::max(y0, y1)) / h * span;
    }
    return r;
}

}  // namespace quelmar::live
