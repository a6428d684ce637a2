#include "live/raw_graph_control.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "live/graph_painting.h"
#include "live/raw_plot.h"

namespace quelmar::live {

namespace {

// A trace in a 2-pixel pen. Neighbouring readings are one column apart, so each step of the
// trace is a band two columns wide from the one height to the other; writing those bands
// straight into the image keeps the full-screen, full-hour redraw to a few milliseconds where
// stroking the polylines took several times as long.
void paint_trace(QImage& image, const std::vector<PlotPoint>& trace, QRgb colour) {
    if (trace.size() < 2)
        return;
    const int w = image.width();
    const int h = image.height();
    const auto stride = static_cast<std::size_t>(image.bytesPerLine() / 4);
    auto* pixels = reinterpret_cast<QRgb*>(image.bits());
    for (std::size_t i = 1; i < trace.size(); ++i) {
        const int x0 = std::max(trace[i].x - 1, 0);
        const int x1 = std::min(trace[i].x, w - 1);
        const int top = std::max(std::min(trace[i - 1].y, trace[i].y), 0);
        const int bottom = std::min(std::max(trace[i - 1].y, trace[i].y) + 1, h - 1);
        for (int y = top; y <= bottom; ++y) {
            QRgb* row = pixels + static_cast<std::size_t>(y) * stride;
            for (int x = x0; x <= x1; ++x)
                row[x] = colour;
        }
    }
}

}  // namespace

RawGraphControl::RawGraphControl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QUELMAR_DB_RAW_GRAPH_CONTROL"));
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    render();
}

int RawGraphControl::plot_width() const {
    return raw_plot_capacity(width(), height());
}

void RawGraphControl::redraw(RawPlotInput input) {
    input_ = std::move(input);
    render();
}

void RawGraphControl::render() {
    const int w = std::max(width(), 1);
    const int h = std::max(height(), 1);
    if (image_.width() != w || image_.height() != h) {
        image_ = QImage(w, h, QImage::Format_RGB32);
    }
    layout_raw_plot(input_, w, h, held_x_, held_y_, scene_);
    const RawPlotScene& scene = scene_;

    image_.fill(to_qcolor(raw_background));
    if (scene.geometry.plotted) {
        for (std::size_t c = 0; c < raw_channel_count; ++c) {
            paint_trace(image_, scene.traces[c], to_qcolor(raw_channel_colours[c]).rgb());
        }
        QPainter painter(&image_);
        paint_graph_frame(painter, w, h);
        painter.setPen(QPen(to_qcolor(white), 1));
        for (const PlotLine& l : scene.white_lines)
            painter.drawLine(l.x0, l.y0, l.x1, l.y1);
        painter.setFont(graph_font());
        paint_graph_texts(painter, scene.texts);
    }
    update();
}

void RawGraphControl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

void RawGraphControl::resizeEvent(QResizeEvent*) {
    render();
}

void RawGraphControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    held_x_ = event->position().toPoint().x();
    held_y_ = event->position().toPoint().y();
    render();
}

void RawGraphControl::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    held_x_ = event->position().toPoint().x();
    held_y_ = event->position().toPoint().y();
    render();
}

void RawGraphControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    held_x_ = 0;
    held_y_ = 0;
    render();
}

}  // namespace quelmar::live
