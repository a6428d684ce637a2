#include "live/processed_graph_control.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleHints>

#include "ui/prompts.h"
#include "common/text.h"
#include "live/graph_painting.h"

namespace quelmar::live {

namespace {
PlotPoint point_of(QMouseEvent* event) {
    QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}
}  // namespace

ProcessedGraphControl::ProcessedGraphControl(QWidget* parent, std::size_t capacity)
    : QWidget(parent), plot_(capacity) {
    setObjectName(QStringLiteral("QUELMAR_DB_PROC_GRAPH_CONTROL"));
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    render();
}

void ProcessedGraphControl::set_chemistry(quint8 type) {
    plot_.set_chemistry(type);
    render();
}

void ProcessedGraphControl::redraw() {
    render();
}

void ProcessedGraphControl::add_point(quint32 x, double y) {
    if (!plot_.add_point(x, y))
        return;
    if (redraw_queued_)
        return;
    redraw_queued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (redraw_queued_)
                render();
        },
        Qt::QueuedConnection);
}

void ProcessedGraphControl::add_points(std::size_t drop, const std::vector<Sample>& samples) {
    plot_.drop_oldest(drop);
    for (const Sample& s : samples)
        plot_.add_point(s.x, s.y);
    render();
}

void ProcessedGraphControl::replace_points(const std::vector<Sample>& samples) {
    plot_.clear();
    add_points(0, samples);
}

void ProcessedGraphControl::set_value_title(const QString& title) {
    plot_.set_value_title(title.toStdString());
}

void ProcessedGraphControl::reset() {
    plot_.reset();
    render();
}

bool ProcessedGraphControl::zoom_to(const PlotRange& range, bool replace_top) {
    const bool done = plot_.zoom_to(range, replace_top);
    render();
    return done;
}

void ProcessedGraphControl::render() {
    redraw_queued_ = false;
    const int w = std::max(width(), 1);
    const int h = std::max(height(), 1);
    if (image_.width() != w || image_.height() != h) {
        image_ = QImage(w, h, QImage::Format_RGB32);
    }
    plot_.layout(w, h, scene_);
    image_.fill(to_qcolor(processed_background));
    if (scene_.geometry.plotted) {
        QPainter painter(&image_);
        paint_graph_frame(painter, w, h);
        painter.setPen(QPen(to_qcolor(white), 1));
        for (const PlotLine& l : scene_.white_lines)
            painter.drawLine(l.x0, l.y0, l.x1, l.y1);
        const QColor white_colour = to_qcolor(white);
        for (const PlotPoint& p : scene_.points)
            painter.fillRect(p.x - 2, p.y - 2, 5, 5, white_colour);
        if (scene_.selected) {
            const PlotPoint p = *scene_.selected;
            const QColor red = to_qcolor(selection_red);
            painter.setPen(QPen(red, 2));
            painter.drawLine(p.x - 5, p.y - 5, p.x + 5, p.y + 5);
            painter.drawLine(p.x + 5, p.y - 5, p.x - 5, p.y + 5);
            painter.fillRect(p.x - 2, p.y - 2, 5, 5, red);
            painter.fillRect(p.x - 1, p.y - 1, 3, 3, white_colour);
        }
        painter.setFont(graph_font());
        paint_graph_texts(painter, scene_.texts);
    }
    update();
}

void ProcessedGraphControl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
    if (dragging_) {
        painter.setPen(QPen(to_qcolor(white), 1));
        for (const PlotLine& l : drag_marks(drag_start_, drag_current_)) {
            painter.drawLine(l.x0, l.y0, l.x1, l.y1);
        }
    }
}

void ProcessedGraphControl::resizeEvent(QResizeEvent*) {
    render();
}

void ProcessedGraphControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (!dragging_ && plot_.zoom_out())
            render();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    dragging_ = false;
    press_ = point_of(event);
}

void ProcessedGraphControl::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_)
        return;
    const PlotPoint at = point_of(event);
    if (!dragging_) {
        const int threshold = QGuiApplication::styleHints()->startDragDistance();
        if (std::abs(at.x - press_.x) < threshold && std::abs(at.y - press_.y) < threshold)
            return;
        dragging_ = true;
        drag_start_ = clamp_to_plot(scene_.geometry.plot, press_);
    }
    drag_current_ = clamp_to_plot(scene_.geometry.plot, at);
    update();
}

void ProcessedGraphControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (!dragging_) {
        plot_.select_at(press_);
        render();
        return;
    }
    dragging_ = false;
    const PlotPoint end = clamp_to_plot(scene_.geometry.plot, point_of(event));
    switch (plot_.zoom_to_drag(scene_.geometry, drag_start_, end)) {
        case ZoomOutcome::none:
            update();
            break;
        case ZoomOutcome::at_limit:
            update();
            ui::show_message(this, QStringLiteral("Max zoom"),
                              QString::fromStdString(common::format_text(
                                  "Max zoom number exceeded (%d)", max_zoom_level)));
            break;
        case ZoomOutcome::zoomed:
            render();
            break;
    }
}

}  // namespace quelmar::live
