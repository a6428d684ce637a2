#include "live/point_store.h"

#include <algorithm>
#include <cmath>

namespace quelmar::live {

bool PointStore::add(std::uint32_t x, double y) {
    if (!std::isfinite(y))
        return false;
    const bool drop = points_.size() >= capacity_;
    if (drop) {
        points_.erase(points_.begin());
        ++dropped_;
    }
    points_.push_back({x, y});
    if (points_.size() == 1) {
        full_.xmin = full_.xmax = x;
        data_min_ = data_max_ = y;
    }
    if (drop)
        rescan_after_drop();
    data_min_ = std::min(data_min_, y);
    data_max_ = std::max(data_max_, y);
    full_.xmin = std::min(full_.xmin, x);
    full_.xmax = std::max(full_.xmax, x);
    full_.ymin = std::min(full_.ymin, y);
    full_.ymax = std::max(full_.ymax, y);
    return true;
}

void PointStore::drop_oldest(std::size_t count) {
    count = std::min(count, points_.size());
    if (count == 0)
        return;
    points_.erase(points_.begin(), points_.begin() + static_cast<std::ptrdiff_t>(count));
    dropped_ += count;
    if (points_.empty()) {
        const PlotRange values{0, 0, full_.ymin, full_.ymax};
        full_ = values;
        data_min_ = data_max_ = 0;
        return;
    }
    rescan_after_drop();
}

void PointStore::clear() {
    points_.clear();
    full_ = {};
    data_min_ = data_max_ = 0;
}

void PointStore::rescan_after_drop() {
    const StoredPoint& first = points_.front();
    full_.xmin = full_.xmax = first.x;
    data_min_ = data_max_ = first.y;
    for (const StoredPoint& p : points_) {
        full_.xmin = std::min(full_.xmin, p.x);
        full_.xmax = std::max(full_.xmax, p.x);
        data_min_ = std::min(data_min_, p.y);
        data_max_ = std::max(data_max_, p.y);
    }
}

void PointStore::set_value_range(double ymin, double ymax) {
    full_.ymin = std::min(ymin, data_min_);
    full_.ymax = std::max(ymax, data_max_);
}

}  // namespace quelmar::live
