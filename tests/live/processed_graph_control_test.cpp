#include "live/processed_graph_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <algorithm>

#include "ui/prompts.h"

namespace quelmar::live {
namespace {

void ensure_application() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "processed_graph_control_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

bool drawn(const ProcessedGraphControl& c, const std::string& text) {
    const auto& t = c.drawn_texts();
    return std::any_of(t.begin(), t.end(), [&](const PlotText& p) { return p.text == text; });
}

void mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void drag(QWidget& w, QPoint from, QPoint to) {
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void click(QWidget& w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonPress, at, button, button);
    mouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

QImage shown(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class ProcessedGraphControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control.resize(480, 480);  // plot rectangle 40..440 both ways
        control.set_chemistry(protocol::chemistry::generic);
        control.add_point(0, 10);
        control.add_point(1000, 90);
        control.redraw();
    }
    // Before any widget member is made.
    struct Application {
        Application() { ensure_application(); }
    } application;
    ui::ScriptedPrompts prompts;
    ProcessedGraphControl control;
};

TEST_F(ProcessedGraphControlTest, PhWithoutDataRunsFromZeroTo8_5) {
    ProcessedGraphControl ph;
    ph.resize(480, 480);
    ph.set_chemistry(protocol::chemistry::ph);
    EXPECT_TRUE(drawn(ph, "pH"));
    EXPECT_TRUE(drawn(ph, "0.00"));
    EXPECT_TRUE(drawn(ph, "8.10"));
    EXPECT_FALSE(drawn(ph, "7.50"));
    EXPECT_EQ(ph.plot().current_range().ymax, 8.5);
}

TEST_F(ProcessedGraphControlTest, TenZoomsThenTheMessageAndRightClickBack) {
    for (int i = 0; i < 10; ++i)
        drag(control, {40, 100}, {400, 100});
    EXPECT_EQ(control.zoom_level(), 10);
    EXPECT_TRUE(prompts.messages().empty());

    drag(control, {40, 100}, {400, 100});
    EXPECT_EQ(control.zoom_level(), 10);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, QStringLiteral("Max zoom"));
    EXPECT_EQ(prompts.last_message().text, QStringLiteral("Max zoom number exceeded (10)"));

    click(control, {200, 200}, Qt::RightButton);
    EXPECT_EQ(control.zoom_level(), 9);
}

TEST_F(ProcessedGraphControlTest, TwoPixelDragNeitherZoomsNorDrawsALine) {
    const QImage before = control.image();
    mouse(control, QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::LeftButton);
    // Past the drag threshold first, then back to 2 pixels from the start.
    mouse(control, QEvent::MouseMove, {260, 200}, Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(control.dragging());
    EXPECT_EQ(shown(control).pixel(230, 200), qRgb(255, 255, 255));
    mouse(control, QEvent::MouseMove, {202, 202}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(shown(control), before);
    mouse(control, QEvent::MouseButtonRelease, {202, 202}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(control.zoom_level(), 0);
    EXPECT_FALSE(control.dragging());
    EXPECT_EQ(control.image(), before);
}

TEST_F(ProcessedGraphControlTest, ClickNinePixelsAwaySelectsTenClears) {
    const StoredPoint p = control.plot().store().points()[1];
    ASSERT_TRUE(p.drawn);
    click(control, {p.px, p.py + 9});
    ASSERT_EQ(control.plot().selected(), 1u);
    EXPECT_TRUE(drawn(control, "timestamp=01/01/1970 00:16:40, value=90.00"));
    EXPECT_EQ(control.image().pixel(p.px + 4, p.py + 4), qRgb(255, 0, 0));  // the cross

    click(control, {p.px, p.py + 10});
    EXPECT_FALSE(control.plot().selected());
    EXPECT_FALSE(drawn(control, "timestamp=01/01/1970 00:16:40, value=90.00"));
}

TEST_F(ProcessedGraphControlTest, ZoomWindowFollowsNewData) {
    drag(control, {240, 100}, {440, 100});  // the newest half of the time range
    ASSERT_EQ(control.zoom_level(), 1);
    const std::uint32_t xmin = control.plot().current_range().xmin;
    control.add_point(1300, 50);
    control.add_point(1600, 60);
    QApplication::processEvents();  // the redraw queued by new points
    EXPECT_EQ(control.plot().current_range().xmin, xmin + 600);
    EXPECT_EQ(control.plot().current_range().xmax, 1600u);
    const StoredPoint newest = control.plot().store().points().back();
    EXPECT_TRUE(newest.drawn);
    EXPECT_EQ(newest.px, 40 + 401);

    // Zoomed on older data, the window stays.
    control.reset();
    drag(control, {40, 100}, {200, 100});
    const PlotRange older = control.plot().current_range();
    control.add_point(1700, 60);
    QApplication::processEvents();
    EXPECT_EQ(control.plot().current_range(), older);
}

TEST_F(ProcessedGraphControlTest, ResetReturnsToTheFullRangeWithoutSelection) {
    const StoredPoint p = control.plot().store().points()[0];
    click(control, {p.px, p.py});
    drag(control, {100, 60}, {100, 300});
    ASSERT_EQ(control.zoom_level(), 1);
    control.reset();
    EXPECT_EQ(control.zoom_level(), 0);
    EXPECT_FALSE(control.plot().selected());
    EXPECT_EQ(control.plot().current_range().ymax, 100.0);
}

TEST_F(ProcessedGraphControlTest, MoreThan400PointsKeepTheNewest) {
    for (std::uint32_t i = 0; i < 450; ++i)
        control.add_point(2000 + i, 40);
    QApplication::processEvents();
    EXPECT_EQ(control.plot().store().size(), 400u);
    EXPECT_EQ(control.plot().store().points().front().x, 2050u);
}

TEST_F(ProcessedGraphControlTest, LowPlotHasNoTickLabelsButPoints) {
    control.resize(480, 140);
    control.redraw();  // a hidden widget gets its resize event only when shown
    EXPECT_FALSE(drawn(control, "0.0"));
    EXPECT_FALSE(drawn(control, "100"));
    EXPECT_TRUE(drawn(control, "value"));
    const StoredPoint p = control.plot().store().points()[1];
    EXPECT_TRUE(p.drawn);
    EXPECT_EQ(control.image().pixel(p.px, p.py), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace quelmar::live
