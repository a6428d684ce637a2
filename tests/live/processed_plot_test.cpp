#include "live/processed_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quelmar::live {
namespace {

// 480 x 480: plot rectangle 40..440 both ways, 401 pixels.
constexpr int size = 480;

std::vector<std::string> texts_of(const ProcessedPlotScene& s) {
    std::vector<std::string> out;
    for (const PlotText& t : s.texts)
        out.push_back(t.text);
    return out;
}

bool has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(ProcessedPlotGeometry, SmallestPlots) {
    EXPECT_FALSE(processed_plot_geometry(114, 300).plotted);
    EXPECT_TRUE(processed_plot_geometry(115, 300).plotted);
    EXPECT_FALSE(processed_plot_geometry(300, 114).plotted);
    ProcessedPlotGeometry g = processed_plot_geometry(size, size);
    EXPECT_EQ(g.plot.left, 40);
    EXPECT_EQ(g.plot.right, 440);
    EXPECT_EQ(g.plot.width(), 401);
}

TEST(ProcessedPlotChemistry, DefaultRangeWidenedToTheDataOnly) {
    ProcessedPlot plot;
    plot.add_point(1000, 7.9);
    plot.add_point(2000, 8.7);
    plot.set_chemistry(protocol::chemistry::ph);
    EXPECT_EQ(plot.current_range().ymin, 7.5);
    EXPECT_EQ(plot.current_range().ymax, 8.7);

    // A code not in the table changes no range and shows no title.
    plot.set_chemistry(42);
    EXPECT_EQ(plot.current_range().ymin, 7.5);
    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    EXPECT_FALSE(has(texts_of(scene), "pH"));
    plot.set_chemistry(protocol::chemistry::ammonia);
    plot.layout(size, size, scene);
    EXPECT_TRUE(has(texts_of(scene), "Ammonia (???)"));
}

TEST(ProcessedPlotTicks, FormatsAndLowPlots) {
    PlotArea tall{40, 40, 440, 440};
    auto ticks = y_ticks(0, 500, tall);  // 10 divisions of 50
    ASSERT_EQ(ticks.size(), 11u);
    EXPECT_EQ(ticks.front().text, "0");
    EXPECT_EQ(ticks.back().text, "500");
    EXPECT_EQ(ticks.front().y, 440);
    EXPECT_EQ(ticks.back().y, 440 - 401);
    EXPECT_EQ(y_ticks(0, 50, tall).back().text, "50.0");

    // Below 70 pixels there is no room for two ticks.
    EXPECT_TRUE(y_ticks(0, 100, PlotArea{40, 40, 440, 108}).empty());
    EXPECT_FALSE(y_ticks(0, 100, PlotArea{40, 40, 440, 109}).empty());
    // An empty or endless range has no ticks either.
    EXPECT_TRUE(y_ticks(5, 5, tall).empty());
    EXPECT_TRUE(y_ticks(-1e308, 1e308, tall).empty());
    // Far from zero the step drowns in rounding: never more ticks than fit.
    EXPECT_LE(y_ticks(1e17, 1e17 + 64, tall).size(), 12u);
    // No "-0.00" label.
    for (const YTick& t : y_ticks(-0.5, 0.5, tall))
        EXPECT_NE(t.text, "-0.00");
}

TEST(ProcessedPlotTicks, LowPlotStillDrawsAxesTitleAndPoints) {
    ProcessedPlot plot;
    plot.set_chemistry(protocol::chemistry::generic);
    plot.add_point(100, 50);
    ProcessedPlotScene scene;
    plot.layout(size, 140, scene);  // H = 61
    EXPECT_TRUE(scene.geometry.plotted);
    EXPECT_EQ(scene.white_lines.size(), 3u);
    EXPECT_EQ(scene.points.size(), 1u);
    auto texts = texts_of(scene);
    EXPECT_TRUE(has(texts, "value"));
    EXPECT_FALSE(has(texts, "50.0"));
    EXPECT_FALSE(has(texts, "0.00"));
}

TEST(ProcessedPlotPoints, PixelPositionsAndSingleInstant) {
    ProcessedPlot plot;
    plot.set_chemistry(protocol::chemistry::generic);  // 0..100
    plot.add_point(1000, 50);
    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    // One instant: no time extent, the point sits on the left edge.
    ASSERT_EQ(scene.points.size(), 1u);
    EXPECT_EQ(scene.points[0], (PlotPoint{40, 440 - static_cast<int>(0.5 * 401)}));

    plot.add_point(2000, 100);
    plot.layout(size, size, scene);
    ASSERT_EQ(scene.points.size(), 2u);
    EXPECT_EQ(scene.points[0].x, 40);
    EXPECT_EQ(scene.points[1], (PlotPoint{40 + 401, 440 - 401}));
    auto texts = texts_of(scene);
    EXPECT_TRUE(has(texts, "01/01 00:16"));  // 1000 s
}

TEST(ProcessedPlotPoints, ValuesThatAreNoNumbersAreRefused) {
    ProcessedPlot plot;
    EXPECT_FALSE(plot.add_point(1, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(plot.add_point(1, std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(plot.store().empty());
    // Huge but finite values are kept and laid out without harm.
    EXPECT_TRUE(plot.add_point(1, 1e308));
    EXPECT_TRUE(plot.add_point(2, -1e308));
    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    EXPECT_EQ(scene.points.size(), 2u);
}

TEST(ProcessedPlotPoints, The401stPointDropsTheOldest) {
    ProcessedPlot plot;
    plot.set_chemistry(protocol::chemistry::generic);
    for (std::uint32_t i = 0; i < point_capacity; ++i)
        plot.add_point(1000 + i, i % 100);
    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    plot.select_at({scene.points[1].x, scene.points[1].y});
    ASSERT_EQ(plot.selected(), 1u);

    plot.add_point(5000, 42);
    EXPECT_EQ(plot.store().size(), point_capacity);
    EXPECT_EQ(plot.store().points().front().x, 1001u);
    EXPECT_EQ(plot.store().points().back().x, 5000u);
    EXPECT_EQ(plot.store().full_range().xmin, 1001u);
    EXPECT_EQ(plot.store().full_range().xmax, 5000u);
    EXPECT_EQ(plot.selected(), 0u);  // the same point, one place earlier

    plot.add_point(5001, 42);
    EXPECT_FALSE(plot.selected());  // the selected point was dropped
    EXPECT_EQ(plot.store().dropped(), 2u);
}

class ProcessedPlotZoom : public ::testing::Test {
  protected:
    void SetUp() override {
        plot.set_chemistry(protocol::chemistry::generic);  // 0..100
        plot.add_point(0, 10);
        plot.add_point(1000, 90);
        plot.layout(size, size, scene);
    }
    ProcessedPlot plot;
    ProcessedPlotScene scene;
};

TEST_F(ProcessedPlotZoom, HorizontalAndVerticalDrags) {
    ASSERT_EQ(plot.zoom_to_drag(scene.geometry, {40, 100}, {240, 110}), ZoomOutcome::zoomed);
    PlotRange r = plot.current_range();
    EXPECT_EQ(r.xmin, 0u);
    EXPECT_EQ(r.xmax, 1000u - static_cast<std::uint32_t>(200.0 / 401 * 1000));
    EXPECT_EQ(r.ymin, 0.0);
    EXPECT_EQ(r.ymax, 100.0);

    // Both value ends move by fractions of the range before the zoom.
    ASSERT_EQ(plot.zoom_to_drag(scene.geometry, {100, 140}, {105, 340}), ZoomOutcome::zoomed);
    r = plot.current_range();
    EXPECT_DOUBLE_EQ(r.ymax, 100 - 100.0 / 401 * 100);
    EXPECT_DOUBLE_EQ(r.ymin, 0 + 100.0 / 401 * 100);
    EXPECT_EQ(plot.zoom().level(), 2);

    // Drags beyond the plot count from its edges.
    plot.reset();
    ASSERT_EQ(plot.zoom_to_drag(scene.geometry, {0, 100}, {470, 100}), ZoomOutcome::zoomed);
    EXPECT_EQ(plot.current_range().xmin, 0u);
    EXPECT_EQ(plot.current_range().xmax, 1000u);
}

TEST_F(ProcessedPlotZoom, TwoPixelsIsNoDrag) {
    EXPECT_EQ(plot.zoom_to_drag(scene.geometry, {100, 100}, {102, 102}), ZoomOutcome::none);
    EXPECT_EQ(plot.zoom().level(), 0);
    EXPECT_TRUE(drag_marks({100, 100}, {102, 98}).empty());
    EXPECT_EQ(plot.zoom_to_drag(scene.geometry, {100, 100}, {103, 100}), ZoomOutcome::zoomed);

    auto across = drag_marks({100, 100}, {150, 120});
    ASSERT_EQ(across.size(), 3u);
    EXPECT_EQ(across[0], (PlotLine{100, 100, 150, 100}));
    EXPECT_EQ(across[2], (PlotLine{150, 95, 150, 105}));
    auto up = drag_marks({100, 100}, {110, 40});
    ASSERT_EQ(up.size(), 3u);
    EXPECT_EQ(up[0], (PlotLine{100, 100, 100, 40}));
    EXPECT_EQ(up[2], (PlotLine{95, 40, 105, 40}));
}

TEST_F(ProcessedPlotZoom, WindowOnTheNewestDataFollowsIt) {
    // Right half of the time range.
    plot.zoom_to_drag(scene.geometry, {240, 100}, {440, 100});
    PlotRange before = plot.current_range();
    ASSERT_EQ(before.xmax, 1000u);
    ASSERT_GT(before.xmin, 0u);
    plot.add_point(1200, 150);
    PlotRange after = plot.current_range();
    EXPECT_EQ(after.xmin, before.xmin + 200);
    EXPECT_EQ(after.xmax, 1200u);
    EXPECT_EQ(after.ymax, 150.0);

    // A window that starts at the oldest data grows instead.
    plot.reset();
    plot.zoom_to_drag(scene.geometry, {40, 100}, {100, 300});  // vertical: whole time range
    ASSERT_EQ(plot.current_range().xmin, 0u);
    plot.add_point(1500, 20);
    EXPECT_EQ(plot.current_range().xmin, 0u);
    EXPECT_EQ(plot.current_range().xmax, 1500u);

    // A window on older data stays.
    plot.reset();
    plot.zoom_to_drag(scene.geometry, {40, 100}, {200, 100});
    before = plot.current_range();
    plot.add_point(1600, 30);
    EXPECT_EQ(plot.current_range(), before);
}

TEST_F(ProcessedPlotZoom, ClickSelectsWithinNinePixelsNotTen) {
    const PlotPoint p = scene.points[1];
    plot.select_at({p.x - 9, p.y});
    ASSERT_EQ(plot.selected(), 1u);
    plot.layout(size, size, scene);
    ASSERT_TRUE(scene.selected);
    EXPECT_TRUE(has(texts_of(scene), "timestamp=01/01/1970 00:16:40, value=90.00"));

    plot.select_at({p.x - 10, p.y});
    EXPECT_FALSE(plot.selected());
    plot.select_at({p.x - 6, p.y + 8});  // 10 pixels on the slant
    EXPECT_FALSE(plot.selected());

    // A point outside the range shown cannot be clicked, and a selected one is not marked.
    plot.select_at(p);
    plot.zoom_to_drag(scene.geometry, {40, 100}, {200, 100});
    plot.layout(size, size, scene);
    EXPECT_FALSE(scene.selected);
    plot.select_at(p);
    EXPECT_FALSE(plot.selected());
}

TEST(ProcessedPlotSelection, EqualDistanceTakesTheEarlierPoint) {
    ProcessedPlot plot;
    plot.set_chemistry(protocol::chemistry::generic);
    plot.add_point(0, 50);
    plot.add_point(100, 50);
    plot.add_point(0, 50);
    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    plot.select_at({scene.points[0].x + 2, scene.points[0].y});
    EXPECT_EQ(plot.selected(), 0u);
}

}  // namespace
}  // namespace quelmar::live

namespace quelmar::live {
namespace {

// The processing dialogs' use: room for a whole results list, a column's own title and a value
// range that follows the data.
TEST(ProcessedPlotResults, LargerStoreKeepsEveryPointAndDropsInBatches) {
    ProcessedPlot plot(5001);
    for (std::uint32_t i = 0; i < 5001; ++i)
        plot.add_point(1000 + i, i);
    EXPECT_EQ(plot.store().size(), 5001u);
    EXPECT_EQ(plot.store().dropped(), 0u);
    plot.add_point(9000, 1);
    EXPECT_EQ(plot.store().size(), 5001u);
    EXPECT_EQ(plot.store().points().front().x, 1001u);

    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    const auto& p = plot.store().points();
    const auto third = static_cast<std::size_t>(
        std::find_if(p.begin(), p.end(), [](const StoredPoint& s) { return s.drawn; }) - p.begin());
    plot.select_at({p[third].px, p[third].py});
    const std::size_t selected = plot.selected().value();

    plot.drop_oldest(selected);  // the selected point becomes the oldest
    EXPECT_EQ(plot.selected(), 0u);
    EXPECT_EQ(plot.store().full_range().xmin, plot.store().points().front().x);
    plot.drop_oldest(1);
    EXPECT_FALSE(plot.selected());
    plot.drop_oldest(100000);
    EXPECT_TRUE(plot.store().empty());
    plot.add_point(77, 3);
    EXPECT_EQ(plot.store().full_range().xmin, 77u);
    EXPECT_EQ(plot.store().full_range().xmax, 77u);
}

TEST(ProcessedPlotResults, ColumnTitleAndRangeFittedToTheData) {
    ProcessedPlot plot(5001);
    plot.set_value_title("DIC (umol/kg)");
    plot.add_point(1000, 2050);
    plot.add_point(2000, 2150);
    // A tenth of the spread either side, not the range from 0 a chemistry default starts at.
    EXPECT_DOUBLE_EQ(plot.current_range().ymin, 2040);
    EXPECT_DOUBLE_EQ(plot.current_range().ymax, 2160);
    ProcessedPlotScene scene;
    plot.layout(size, size, scene);
    EXPECT_TRUE(has(texts_of(scene), "DIC (umol/kg)"));
    EXPECT_EQ(scene.points.size(), 2u);

    // Dropping the highest point narrows the range to what is left.
    plot.drop_oldest(1);
    plot.add_point(3000, 2100);
    EXPECT_DOUBLE_EQ(plot.current_range().ymin, 2095);
    EXPECT_DOUBLE_EQ(plot.current_range().ymax, 2155);

    // One value alone (or all equal) still spans some range, so the point is drawn mid-plot.
    plot.clear();
    plot.add_point(5000, 8.0);
    EXPECT_LT(plot.current_range().ymin, 8.0);
    EXPECT_GT(plot.current_range().ymax, 8.0);
    plot.layout(size, size, scene);
    ASSERT_EQ(scene.points.size(), 1u);
    EXPECT_EQ(scene.points[0].y, 240);

    // The title given wins over a chemistry's.
    plot.set_chemistry(protocol::chemistry::ph);
    plot.layout(size, size, scene);
    EXPECT_FALSE(has(texts_of(scene), "pH"));
}

TEST(ProcessedPlotResults, ValueLabelsOfAnySizeAreWholeAndDistinct) {
    ProcessedPlotScene scene;
    // Alkalinity in the tens of thousands: the plot moves right to leave the labels room.
    ProcessedPlot ta(5001);
    ta.set_value_title("TA (uM)");
    ta.add_point(1000, 11090);
    ta.add_point(2000, 11120);
    ta.layout(size, size, scene);
    std::size_t widest = 0;
    std::vector<std::string> labels;
    for (const PlotText& t : scene.texts)
        if (t.align == TextAlign::right) {
            labels.push_back(t.text);
            widest = std::max(widest, t.text.size());
            EXPECT_GE(t.box.right - t.box.left, 8 * static_cast<int>(t.text.size())) << t.text;
            EXPECT_LT(t.box.right, scene.geometry.plot.left);
        }
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(5u, widest);
    EXPECT_GT(scene.geometry.plot.left, 40);
    EXPECT_EQ(scene.white_lines[1].x0, scene.geometry.plot.left - 5);

    // Absorbances a few millionths apart: every label tells its tick from the next.
    ProcessedPlot absorbance(5001);
    absorbance.set_value_title("Absorbance (Std1.M)");
    absorbance.add_point(1000, 0.000120);
    absorbance.add_point(2000, 0.000180);
    absorbance.layout(size, size, scene);
    labels.clear();
    for (const PlotText& t : scene.texts)
        if (t.align == TextAlign::right)
            labels.push_back(t.text);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels.end(), std::adjacent_find(labels.begin(), labels.end()));
    EXPECT_EQ("0.000120", labels.front()) << testing::PrintToString(labels);  // steps of 8e-6

    // The live graph keeps its place and formats.
    ProcessedPlot live;
    live.set_chemistry(protocol::chemistry::ta);
    live.add_point(1000, 11090);
    live.layout(size, size, scene);
    EXPECT_EQ(40, scene.geometry.plot.left);
}

}  // namespace
}  // namespace quelmar::live
