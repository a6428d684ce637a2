#include "live/raw_graph_control.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "live/graph_painting.h"
#include "live/raw_plot.h"

namespace quelmar::live {

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
        QPainter painter(&image_);
        paint_graph_frame(painter, w, h);
        painter.setPen(QPen(to_qcolor(white), 1));
        for (const PlotLine& l : scene.white_lines)
            painter.drawLine(l.x0, l.y0, l.x1, l.y1);

        static_assert(sizeof(PlotPoint) == sizeof(QPoint));
        for (std::size_t c = 0; c < raw_channel_count; ++c) {
            const auto& trace = scene.traces[c];
            if (trace.size() < 2)
                continue;
            painter.setPen(QPen(to_qcolor(raw_channel_colours[c]), 2));
            painter.drawPolyline(reinterpret_cast<const QPoint*>(trace.data()),
                                 static_cast<int>(trace.size()));
        }
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
