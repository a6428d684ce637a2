#include "live/raw_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quelmar::live {
namespace {

protocol::ReadingsBytes reading(std::uint32_t counter, std::uint8_t state, std::uint16_t ch0 = 0) {
    protocol::ReadingsEntry e;
    e.counter = counter;
    e.state = state;
    e.channels[0] = ch0;
    for (std::size_t c = 1; c < e.channels.size(); ++c)
        e.channels[c] = static_cast<std::uint16_t>(c * 1000);
    return protocol::encode_readings_entry(e);
}

RawPlotInput history(int n, std::uint32_t first_counter = 100) {
    RawPlotInput in;
    in.monitor_running = true;
    for (int i = 0; i < n; ++i) {
        in.entries.push_back(reading(first_counter + i, static_cast<std::uint8_t>(i % 256)));
    }
    in.channel_shown.fill(true);
    return in;
}

bool has_text(const RawPlotScene& s, const std::string& text) {
    return std::any_of(s.texts.begin(), s.texts.end(),
                       [&](const PlotText& t) { return t.text == text; });
}

const PlotText* find_text(const RawPlotScene& s, const std::string& text) {
    for (const PlotText& t : s.texts) {
        if (t.text == text)
            return &t;
    }
    return nullptr;
}

TEST(RawPlotGeometry, TooSmallBelow135PixelsEitherWay) {
    EXPECT_FALSE(raw_plot_geometry(134, 400).plotted);
    EXPECT_TRUE(raw_plot_geometry(135, 400).plotted);
    EXPECT_FALSE(raw_plot_geometry(400, 134).plotted);
    EXPECT_TRUE(raw_plot_geometry(400, 135).plotted);
    EXPECT_FALSE(raw_plot_geometry(0, 0).plotted);
    EXPECT_FALSE(raw_plot_geometry(-5, 300).plotted);

    RawPlotScene scene;
    layout_raw_plot(history(100), 134, 400, 0, 0, scene);
    EXPECT_TRUE(scene.texts.empty());
    EXPECT_TRUE(scene.white_lines.empty());
    EXPECT_EQ(scene.readings_shown, 0);
}

TEST(RawPlotGeometry, OneReadingPerColumnUpToTheHistory) {
    RawPlotGeometry g = raw_plot_geometry(1920, 1080);
    EXPECT_EQ(g.plot_left, 50);
    EXPECT_EQ(g.plot_width, 1821);
    EXPECT_EQ(g.plot_height, 981);
    EXPECT_EQ(g.plot_bottom, 1030);
    EXPECT_EQ(g.axis_y, 1035);
    EXPECT_EQ(raw_plot_capacity(1920, 1080), 1821);
    EXPECT_EQ(raw_plot_capacity(5000, 500), 3600);
    EXPECT_EQ(raw_plot_capacity(100, 500), 0);
}

TEST(RawPlotLayout, CounterLabelOnTheFirstPointOnlyBeyond60Readings) {
    RawPlotScene scene;
    for (int n : {1, 30, 60}) {
        layout_raw_plot(history(n), 800, 400, 0, 0, scene);
        EXPECT_TRUE(has_text(scene, std::to_string(100 + n - 1))) << n;
        EXPECT_EQ(n == 1, has_text(scene, "100")) << n;
        EXPECT_EQ(scene.white_lines.size(), 4u) << n;  // edge, two axes, one tick
    }
    layout_raw_plot(history(61), 800, 400, 0, 0, scene);
    const PlotText* first = find_text(scene, "100");
    const PlotText* last = find_text(scene, "160");
    ASSERT_TRUE(first && last);
    EXPECT_EQ(first->box, (PlotRect{20, 350, 80, 390}));
    EXPECT_EQ(last->box, (PlotRect{80, 350, 140, 390}));
    EXPECT_TRUE(has_text(scene, "state 60"));
    EXPECT_EQ(scene.white_lines.size(), 5u);
    EXPECT_EQ(scene.white_lines.back(), (PlotLine{110, 355, 110, 360}));
}

TEST(RawPlotLayout, NewestReadingsFillThePlotOldestLeft) {
    RawPlotScene scene;
    // 800 wide: 701 columns; 1000 readings show the newest 701.
    layout_raw_plot(history(1000), 800, 400, 0, 0, scene);
    EXPECT_EQ(scene.readings_shown, 701);
    EXPECT_TRUE(has_text(scene, std::to_string(100 + 1000 - 701)));
    EXPECT_TRUE(has_text(scene, "1099"));
    ASSERT_EQ(scene.traces[1].size(), 701u);
    EXPECT_EQ(scene.traces[1].front().x, 50);
    EXPECT_EQ(scene.traces[1].back().x, 750);
}

TEST(RawPlotLayout, NothingPlottedWhileTheMonitorIsStopped) {
    RawPlotInput in = history(100);
    in.monitor_running = false;
    in.thermistor_overlay = true;
    RawPlotScene scene;
    layout_raw_plot(in, 800, 400, 0, 0, scene);
    EXPECT_EQ(scene.readings_shown, 0);
    for (const auto& t : scene.traces)
        EXPECT_TRUE(t.empty());
    EXPECT_FALSE(has_text(scene, "199"));
    EXPECT_TRUE(has_text(scene, "volt"));
    EXPECT_TRUE(has_text(scene, "counter"));
    for (const PlotText& t : scene.texts)
        EXPECT_EQ(t.text.find("thermistor"), std::string::npos);
}

TEST(RawPlotLayout, VoltAxisAndTraceHeights) {
    RawPlotInput in;
    in.monitor_running = true;
    in.entries = {reading(1, 0, 0), reading(2, 0, 32768), reading(3, 0, 65535)};
    in.channel_shown[0] = true;
    RawPlotScene scene;
    layout_raw_plot(in, 400, 400, 0, 0, scene);
    const RawPlotGeometry& g = scene.geometry;  // h = 301, bottom 350
    ASSERT_EQ(scene.traces[0].size(), 3u);
    EXPECT_EQ(scene.traces[0][0].y, g.plot_bottom);
    EXPECT_EQ(scene.traces[0][1].y, static_cast<int>(350 - 2.5 * 301 * 0.2));
    EXPECT_GE(scene.traces[0][2].y, g.plot_top - 1);
    for (std::size_t c = 1; c < raw_channel_count; ++c)
        EXPECT_TRUE(scene.traces[c].empty());

    const PlotText* zero = find_text(scene, "0.0");
    const PlotText* five = find_text(scene, "5.0");
    ASSERT_TRUE(zero && five);
    EXPECT_EQ(zero->box, (PlotRect{0, 340, 40, 360}));
    EXPECT_EQ(five->box.top, 49 - 10);  // full scale sits one pixel above the plot top
    EXPECT_EQ(zero->align, TextAlign::right);
    EXPECT_TRUE(has_text(scene, "2.5"));
}

TEST(RawPlotLayout, HeldButtonShowsTheStateUnderThePointer) {
    RawPlotScene scene;
    RawPlotInput in = history(200);  // states 0..199 at x 50..249
    layout_raw_plot(in, 800, 400, 60, 200, scene);
    const PlotText* t = find_text(scene, "state 10");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->box, (PlotRect{30, 180, 90, 200}));

    // Outside the readings, above the plot top or on the axis band: nothing.
    for (auto [x, y] : {std::pair{300, 200}, std::pair{60, 50}, std::pair{60, 350}}) {
        layout_raw_plot(in, 800, 400, x, y, scene);
        EXPECT_FALSE(has_text(scene, "state 10")) << x << "," << y;
        EXPECT_EQ(std::count_if(scene.texts.begin(), scene.texts.end(),
                                [](const PlotText& p) { return p.text.rfind("state", 0) == 0; }),
                  1);
    }
}

TEST(RawPlotLayout, Overlays) {
    RawPlotInput in = history(5);
    protocol::PlatformData p;
    p.depth = 12.345f;
    p.direction = 2;
    p.temperature = 4.5f;
    p.salinity = 35.125f;
    p.oxygen = 6.25f;
    p.p1 = -1;
    p.p2 = 2;
    p.p3 = 3;
    in.platform = protocol::encode_platform_data(p);
    in.platform_overlay = true;
    in.thermistor_overlay = true;
    in.thermistors[0] = {0, 1, 0, 0, 0, 1.5f};     // channel 1: 1000 counts
    in.thermistors[1] = {0, 2, 0, 0, 2.0f, 0.0f};  // 2 x channel 2 volts
    in.thermistors[2] = {0, 9, 0, 0, 1.0f, 7.0f};  // no such channel: 0 V
    RawPlotScene scene;
    layout_raw_plot(in, 800, 400, 0, 0, scene);
    const PlotText* platform = find_text(
        scene,
        "depth=12.35 m, dir=2, temp=4.500 C, salin=35.125 PSU, DO=6.250 ml/l, P1=-1, P2=2, P3=3");
    ASSERT_TRUE(platform);
    EXPECT_EQ(platform->box, (PlotRect{50, 0, 800, 50}));
    EXPECT_TRUE(has_text(scene, "thermistor1=1.500, thermistor2=0.305, thermistor3=7.000"));
}

}  // namespace
}  // namespace quelmar::live
