#include "live/processed_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/text.h"

namespace quelmar::live {

namespace {

// Pixels for a fraction of an axis `extent` pixels long. Fractions of points inside the range
// lie in 0..1; anything else (an overflowing range gives no number at all) is held to the axis.
int pixels_along(double fraction, int extent) {
    if (!(fraction > 0))
        return 0;
    if (fraction > 1)
        fraction = 1;
    return static_cast<int>(fraction * extent);
}

}  // namespace

std::optional<ChemistryValueRange> chemistry_value_range(protocol::ChemistryType type) {
    switch (type) {
        case protocol::chemistry::generic:
            return ChemistryValueRange{"value", 0, 100};
        case protocol::chemistry::nitrate:
            return ChemistryValueRange{"Nitrate (uM)", 0, 500};
        case protocol::chemistry::phosphate:
            return ChemistryValueRange{"Phosphate (uM)", 0, 5};
        case protocol::chemistry::silicate:
            return ChemistryValueRange{"Silicate (uM)", 0, 300};
        case protocol::chemistry::ph:
            return ChemistryValueRange{"pH", 7.5, 8.5};
        case protocol::chemistry::nitrite:
            return ChemistryValueRange{"Nitrite (uM)", 0, 500};
        case protocol::chemistry::iron:
            return ChemistryValueRange{"Iron (uM)", 0, 500};
        case protocol::chemistry::ta:
            return ChemistryValueRange{"TA (umol/kg)", 0, 500};
        case protocol::chemistry::dic:
            return ChemistryValueRange{"DIC (umol/kg)", 0, 500};
        case protocol::chemistry::ammonia:
            return ChemistryValueRange{"Ammonia (?\?\?)", 0, 5};
        default:
            return std::nullopt;
    }
}

ProcessedPlotGeometry processed_plot_geometry(int width, int height, int left_margin) {
    ProcessedPlotGeometry g;
    g.right = std::max(width, 0);
    g.bottom = std::max(height, 0);
    g.plot = {g.left + left_margin, g.top + 40, g.right - 40, g.bottom - 40};
    g.plotted = g.plot.right - g.plot.left >= 35 && g.plot.bottom - g.plot.top >= 35;
    return g;
}

std::vector<YTick> y_ticks(double ymin, double ymax, const PlotArea& plot, bool step_decimals) {
    std::vector<YTick> ticks;
    const int h = plot.height();
    const int divisions = h / 35 - 1;
    const double span = ymax - ymin;
    if (divisions <= 0 || !(span > 0) || !std::isfinite(span))
        return ticks;
    const double raw_step = span / divisions;
    const double unit = std::pow(10.0, std::ceil(std::log10(raw_step) - 1));
    const double step = std::ceil(raw_step / unit) * unit;
    if (!(step > 0) || !std::isfinite(step))
        return ticks;
    const double first = std::ceil(ymin / step) * step;
    const double last = std::floor(ymax / step) * step;
    const double n = std::floor((last - first) / step + 0.5) + 1;
    // A range far from zero relative to its span can lose the step in rounding; never more
    // ticks than fit.
    const int count = std::isfinite(n) ? static_cast<int>(std::clamp(n, 0.0, divisions + 2.0)) : 0;
    const char* format = last >= 100 ? "%.0f" : last < 10 ? "%.2f" : "%.1f";
    // The step is a digit times a power of ten: that power's decimals tell ticks apart.
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 12);
    for (int k = 0; k < count; ++k) {
        double v = first + k * step + 0.0;  // + 0.0 turns -0 into 0
        int y = plot.bottom - pixels_along((v - ymin) / span, h);
        ticks.push_back({v, y,
                         step_decimals ? common::format_text("%.*f", decimals, v)
                                       : common::format_text(format, v)});
    }
    return ticks;
}

std::vector<PlotLine> drag_marks(PlotPoint s, PlotPoint c) {
    std::vector<PlotLine> lines;
    if (!is_zoom_drag(s.x, s.y, c.x, c.y))
        return lines;
    if (std::abs(c.y - s.y) < std::abs(c.x - s.x)) {
        lines.push_back({s.x, s.y, c.x, s.y});
        lines.push_back({s.x, s.y - 5, s.x, s.y + 5});
        lines.push_back({c.x, s.y - 5, c.x, s.y + 5});
    } else {
        lines.push_back({s.x, s.y, s.x, c.y});
        lines.push_back({s.x - 5, s.y, s.x + 5, s.y});
        lines.push_back({s.x - 5, c.y, s.x + 5, c.y});
    }
    return lines;
}

PlotPoint clamp_to_plot(const PlotArea& plot, PlotPoint p) {
    if (plot.right < plot.left || plot.bottom < plot.top)
        return {plot.left, plot.top};
    return {std::clamp(p.x, plot.left, plot.right), std::clamp(p.y, plot.top, plot.bottom)};
}

bool ProcessedPlot::add_point(std::uint32_t x, double y) {
    if (!std::isfinite(y))
        return false;
    PlotRange before = store_.full_range();
    if (store_.empty())
        before.xmin = before.xmax = x;
    if (PlotRange* window = zoom_.top())
        follow_new_point(*window, before, x, y);
    const std::size_t dropped = store_.dropped();
    store_.add(x, y);
    if (store_.dropped() != dropped && selected_) {
        if (*selected_ == 0) {
            selected_.reset();
        } else {
            --*selected_;
        }
    }
    if (value_title_)
        fit_value_range();
    return true;
}

void ProcessedPlot::drop_oldest(std::size_t count) {
    const std::size_t before = store_.dropped();
    store_.drop_oldest(count);
    const std::size_t gone = store_.dropped() - before;
    if (selected_) {
        if (*selected_ < gone)
            selected_.reset();
        else
            *selected_ -= gone;
    }
    if (value_title_)
        fit_value_range();
}

void ProcessedPlot::clear() {
    store_.clear();
    zoom_.reset();
    selected_.reset();
    if (value_title_)
        fit_value_range();
}

void ProcessedPlot::set_value_title(std::string title) {
    value_title_ = std::move(title);
    fit_value_range();
}

void ProcessedPlot::fit_value_range() {
    // A tenth of the spread above and below keeps the extreme points off the frame; a single
    // value gets a band of its own size around it (or of one unit around zero).
    const double lo = store_.data_min();
    const double hi = store_.data_max();
    double margin = (hi - lo) / 10;
    if (!(margin > 0) || !std::isfinite(margin))
        margin = std::max(std::fabs(hi) / 10, 1.0);
    store_.set_value_range(lo - margin, hi + margin);
}

void ProcessedPlot::set_chemistry(protocol::ChemistryType type) {
    chemistry_ = type;
    if (auto range = chemistry_value_range(type))
        store_.set_value_range(range->ymin, range->ymax);
}

void ProcessedPlot::reset() {
    zoom_.reset();
    selected_.reset();
}

bool ProcessedPlot::zoom_out() {
    return zoom_.pop();
}

bool ProcessedPlot::zoom_to(const PlotRange& range, bool replace_top) {
    if (PlotRange* top = zoom_.top(); top && replace_top) {
        *top = range;
        return true;
    }
    return zoom_.push(range);
}

ZoomOutcome ProcessedPlot::zoom_to_drag(const ProcessedPlotGeometry& geometry, PlotPoint start,
                                        PlotPoint end) {
    if (!geometry.plotted)
        return ZoomOutcome::none;
    start = clamp_to_plot(geometry.plot, start);
    end = clamp_to_plot(geometry.plot, end);
    if (!is_zoom_drag(start.x, start.y, end.x, end.y))
        return ZoomOutcome::none;
    if (zoom_.at_limit())
        return ZoomOutcome::at_limit;
    zoom_.push(zoomed_range(current_range(), geometry.plot, start.x, start.y, end.x, end.y));
    return ZoomOutcome::zoomed;
}

void ProcessedPlot::select_at(PlotPoint at) {
    selected_.reset();
    double nearest = selection_radius;
    const auto& points = store_.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!points[i].drawn)
            continue;
        double d = std::hypot(points[i].px - at.x, points[i].py - at.y);
        if (d < nearest) {
            nearest = d;
            selected_ = i;
        }
    }
}

void ProcessedPlot::layout(int width, int height, ProcessedPlotScene& scene) {
    scene.white_lines.clear();
    scene.points.clear();
    scene.selected.reset();
    scene.texts.clear();

    ProcessedPlotGeometry g = processed_plot_geometry(width, height);
    const PlotRange r = current_range();
    std::vector<YTick> ticks = y_ticks(r.ymin, r.ymax, g.plot, value_title_.has_value());
    if (value_title_) {
        // A results column may hold values of any size: the plot leaves room for the widest
        // label (about 8 pixels a character in the graph font). The plot's height, and with it
        // where the ticks go, stays the same.
        std::size_t widest = 0;
        for (const YTick& t : ticks)
            widest = std::max(widest, t.text.size());
        const int margin = std::max(40, 14 + 8 * static_cast<int>(std::min<std::size_t>(widest, 40)));
        if (margin != 40)
            g = processed_plot_geometry(width, height, margin);
    }
    scene.geometry = g;
    for (StoredPoint& p : store_.points())
        p.drawn = false;
    if (!g.plotted)
        return;

    const int L = g.left, T = g.top, R = g.right, B = g.bottom;
    const PlotArea& plot = g.plot;
    const int W = plot.width();
    const int H = plot.height();

    scene.white_lines.push_back({L, B - 1, R - 1, B - 1});
    scene.white_lines.push_back({plot.left - 5, plot.bottom, plot.left - 5, plot.top});
    scene.white_lines.push_back({plot.left, B - 35, plot.right, B - 35});

    for (const YTick& tick : ticks) {
        scene.texts.push_back(
            {tick.text, {L, tick.y - 10, plot.left - 10, tick.y + 10}, TextAlign::right});
    }
    if (value_title_) {
        scene.texts.push_back(
            {*value_title_, {L + 5, T, plot.left + 60, plot.top}, TextAlign::left});
    } else if (chemistry_) {
        if (auto range = chemistry_value_range(*chemistry_)) {
            scene.texts.push_back(
                {range->title, {L + 5, T, plot.left + 60, plot.top}, TextAlign::left});
        }
    }

    const double time_span = r.xmax >= r.xmin ? static_cast<double>(r.xmax - r.xmin) : 0.0;
    for (int o = 0; o < W; o += 100) {
        auto t = r.xmin + static_cast<std::uint32_t>(static_cast<double>(o) / W * time_span);
        scene.texts.push_back({common::sensor_time_axis_text(t),
                               {plot.left - 50 + o, plot.bottom, plot.left + 50 + o, B},
                               TextAlign::centre});
    }
    scene.texts.push_back(
        {"time", {plot.right, plot.bottom - 8, R, plot.bottom + 15}, TextAlign::centre});

    const double span = r.ymax - r.ymin;
    auto& points = store_.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        StoredPoint& p = points[i];
        if (p.x < r.xmin || p.x > r.xmax || p.y < r.ymin || p.y > r.ymax)
            continue;
        // A single instant (or a single value) has no extent to spread over: such points sit
        // on the left edge (or the bottom).
        p.py = plot.bottom - (span > 0 ? pixels_along((p.y - r.ymin) / span, H) : 0);
        p.px = plot.left +
               (time_span > 0 ? pixels_along(static_cast<double>(p.x - r.xmin) / time_span, W) : 0);
        p.drawn = true;
        scene.points.push_back({p.px, p.py});
    }

    if (selected_ && *selected_ < points.size() && points[*selected_].drawn) {
        const StoredPoint& p = points[*selected_];
        scene.selected = PlotPoint{p.px, p.py};
        scene.texts.push_back({"timestamp=" + common::sensor_time_text(p.x) +
                                   common::format_text(value_title_ ? ", value=%.6g"
                                                                    : ", value=%.2f",
                                                       p.y),
                               {plot.left, T, plot.right, plot.top},
                               TextAlign::centre});
    }
}

}  // namespace quelmar::live
