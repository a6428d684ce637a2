#pragma once
// The processed graph without a window: results against time, with zooming by drag, stepping
// back with a right click, and selecting a point by clicking near it. The processed graph
// control keeps one ProcessedPlot, feeds it the view's points and mouse actions, and paints the
// scene it lays out.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "live/plot_scene.h"
#include "live/point_store.h"
#include "live/zoom_stack.h"
#include "protocol/chemistry.h"

namespace quelmar::live {

inline constexpr Rgb processed_background{130, 130, 200};
inline constexpr Rgb selection_red{255, 0, 0};

// The y-axis title and default value range of a chemistry; nullopt for a code not known.
struct ChemistryValueRange {
    const char* title;
    double ymin;
    double ymax;
};
std::optional<ChemistryValueRange> chemistry_value_range(protocol::ChemistryType type);

struct ProcessedPlotGeometry {
    int left = 0;  // client area: right and bottom one past the last pixel
    int top = 0;
    int right = 0;
    int bottom = 0;
    PlotArea plot;         // plot rectangle, edges inclusive
    bool plotted = false;  // false: too small, only the background is drawn
};

// `left_margin`: pixels left of the plot for the value labels (40 for the live graph's).
ProcessedPlotGeometry processed_plot_geometry(int width, int height, int left_margin = 40);

// The y tick labels of a value range on a plot `plot_height` pixels high: their values and
// texts. None when the plot is too low for two ticks or the range is empty.
struct YTick {
    double value = 0;
    int y = 0;
    std::string text;
};
// `step_decimals`: as many decimals as the step needs (values of any size, such as a results
// column's) instead of the live graph's fixed formats.
std::vector<YTick> y_ticks(double ymin, double ymax, const PlotArea& plot,
                           bool step_decimals = false);

// The white line a drag draws from its start to the pointer, along the direction it mostly
// goes, with end marks; nothing while it is not more than 2 pixels long.
std::vector<PlotLine> drag_marks(PlotPoint start, PlotPoint current);

// A pointer position held inside the plot rectangle.
PlotPoint clamp_to_plot(const PlotArea& plot, PlotPoint p);

struct ProcessedPlotScene {
    ProcessedPlotGeometry geometry;
    std::vector<PlotLine> white_lines;  // bottom edge, axes
    std::vector<PlotPoint> points;      // centres of the points drawn
    std::optional<PlotPoint> selected;  // the selected point, when drawn
    std::vector<PlotText> texts;
};

enum class ZoomOutcome { none, at_limit, zoomed };

// Distance under which a click selects a point, in pixels.
constexpr double selection_radius = 10.0;

class ProcessedPlot {
  public:
    explicit ProcessedPlot(std::size_t capacity = point_capacity) : store_(capacity) {}

    // A result arrives. False when refused (its value is not a finite number).
    bool add_point(std::uint32_t x, double y);
    // Drops the oldest `count` points; a selected point among them is no longer selected.
    void drop_oldest(std::size_t count);
    // No points, full range, no selection.
    void clear();
    // Values of one kind named `title` (a results column) in place of a chemistry's: the y axis
    // is titled so and its range follows the data, with a margin, instead of a default range.
    void set_value_title(std::string title);
    // The chemistry may have changed: its default value range (widened to the data) becomes the
    // full value range. A code not known changes no range and leaves no y-axis title.
    void set_chemistry(protocol::ChemistryType type);
    // Back to the full range with no selection ("Reset Graph").
    void reset();
    // Right click: one zoom back; false at the full range.
    bool zoom_out();
    // Shows `range` as a zoom of its own, or in place of the newest zoom when `replace_top` and
    // there is one. False when ten zooms are already stacked.
    bool zoom_to(const PlotRange& range, bool replace_top);
    // A drag from `start` to `end` on the plot laid out as `geometry`.
    ZoomOutcome zoom_to_drag(const ProcessedPlotGeometry& geometry, PlotPoint start, PlotPoint end);
    // A click at `at`: selects the nearest point drawn at the last layout when it is nearer
    // than 10 pixels (the earliest of equally near points), else clears the selection.
    void select_at(PlotPoint at);

    PlotRange current_range() const { return zoom_.current(store_.full_range()); }
    const PointStore& store() const { return store_; }
    const ZoomStack& zoom() const { return zoom_; }
    std::optional<std::size_t> selected() const { return selected_; }
    std::optional<protocol::ChemistryType> chemistry() const { return chemistry_; }
    const std::optional<std::string>& value_title() const { return value_title_; }

    // Lays out the current range on a client area of width x height; stores every drawn
    // point's pixel position for the mouse handling.
    void layout(int width, int height, ProcessedPlotScene& scene);

  private:
    void fit_value_range();

    PointStore store_;
    ZoomStack zoom_;
    std::optional<std::size_t> selected_;
    std::optional<protocol::ChemistryType> chemistry_;
    std::optional<std::string> value_title_;
};

}  // namespace quelmar::live
