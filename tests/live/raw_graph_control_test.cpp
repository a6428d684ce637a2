#include "live/raw_graph_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>

namespace quelmar::live {
namespace {

void ensure_application() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "raw_graph_control_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

RawPlotInput readings(int n) {
    RawPlotInput in;
    in.monitor_running = true;
    for (int i = 0; i < n; ++i) {
        protocol::ReadingsEntry e;
        e.counter = 500 + i;
        e.state = 7;
        e.channels[0] = 32768;  // 2.5 V
        in.entries.push_back(protocol::encode_readings_entry(e));
    }
    in.channel_shown[0] = true;
    return in;
}

bool drawn(const RawGraphControl& c, const std::string& text) {
    const auto& t = c.drawn_texts();
    return std::any_of(t.begin(), t.end(), [&](const PlotText& p) { return p.text == text; });
}

void send_mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

class RawGraphControlTest : public ::testing::Test {
  protected:
    void SetUp() override { ensure_application(); }
};

TEST_F(RawGraphControlTest, NarrowGraphIsOnlyGrey) {
    RawGraphControl control;
    control.resize(134, 300);
    control.redraw(readings(100));
    const QImage& img = control.image();
    ASSERT_EQ(img.width(), 134);
    const QRgb grey = qRgb(150, 150, 150);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            ASSERT_EQ(img.pixel(x, y), grey) << x << "," << y;
        }
    }
    EXPECT_TRUE(control.drawn_texts().empty());
    EXPECT_EQ(control.plot_width(), 0);

    control.resize(135, 300);
    control.redraw(readings(100));
    EXPECT_EQ(control.plot_width(), 36);
    EXPECT_NE(control.image().pixel(0, 0), grey);                    // the frame
    EXPECT_EQ(control.image().pixel(60, 299), qRgb(255, 255, 255));  // the bottom edge
}

TEST_F(RawGraphControlTest, CounterLabelsAndTicksAt30And61Readings) {
    RawGraphControl control;
    control.resize(600, 300);
    const QRgb white = qRgb(255, 255, 255);

    control.redraw(readings(30));
    EXPECT_TRUE(drawn(control, "529"));
    EXPECT_TRUE(drawn(control, "state 7"));
    EXPECT_FALSE(drawn(control, "500"));
    EXPECT_EQ(control.image().pixel(50 + 29, 300 - 42), white);  // tick under the newest
    EXPECT_NE(control.image().pixel(50, 300 - 42), white);

    control.redraw(readings(61));
    EXPECT_TRUE(drawn(control, "560"));
    EXPECT_TRUE(drawn(control, "500"));
    EXPECT_EQ(control.image().pixel(50, 300 - 42), white);
}

TEST_F(RawGraphControlTest, TraceInItsChannelColour) {
    RawGraphControl control;
    control.resize(600, 300);  // h = 201, plot bottom 250
    control.redraw(readings(100));
    const int y = static_cast<int>(250 - 2.5 * 201 * 0.2);
    const QRgb red = qRgb(255, 0, 0);
    int reds = 0;
    for (int dy = -1; dy <= 1; ++dy)
        reds += control.image().pixel(100, y + dy) == red;
    EXPECT_GE(reds, 1);

    RawPlotInput hidden = readings(100);
    hidden.channel_shown[0] = false;
    control.redraw(hidden);
    for (int dy = -1; dy <= 1; ++dy)
        EXPECT_NE(control.image().pixel(100, y + dy), red);
}

TEST_F(RawGraphControlTest, HoldingTheButtonShowsTheStateUnderThePointer) {
    RawGraphControl control;
    control.resize(600, 300);
    RawPlotInput in = readings(100);
    protocol::ReadingsEntry e = protocol::decode_readings_entry(in.entries[20]);
    e.state = 42;
    in.entries[20] = protocol::encode_readings_entry(e);
    control.redraw(in);
    EXPECT_FALSE(drawn(control, "state 42"));

    send_mouse(control, QEvent::MouseButtonPress, {70, 150}, Qt::LeftButton);
    EXPECT_TRUE(drawn(control, "state 42"));
    send_mouse(control, QEvent::MouseMove, {71, 150}, Qt::LeftButton);
    EXPECT_FALSE(drawn(control, "state 42"));
    send_mouse(control, QEvent::MouseMove, {70, 150}, Qt::LeftButton);
    EXPECT_TRUE(drawn(control, "state 42"));
    send_mouse(control, QEvent::MouseButtonRelease, {70, 150}, Qt::NoButton);
    EXPECT_FALSE(drawn(control, "state 42"));
}

TEST_F(RawGraphControlTest, PaintingCopiesTheImage) {
    RawGraphControl control;
    control.resize(400, 300);
    control.redraw(readings(80));
    QImage shown = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, control.image());
}

}  // namespace
}  // namespace quelmar::live
