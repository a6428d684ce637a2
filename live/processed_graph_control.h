#pragma once
// The processed graph: on-board results against their platform time, with drag-to-zoom, a
// right click to step back one zoom (ten at most), and point selection by clicking.
//
// How a view feeds it: on creation, and whenever the configuration may have changed, the view
// calls set_chemistry() with the chemistry type of its configuration record. Its thread hands
// each result over on the user-interface thread,
//     QMetaObject::invokeMethod(control, [control, x, y] { control->add_point(x, y); },
//                               Qt::QueuedConnection);
// and after each batch queues redraw() likewise. "Reset Graph" calls reset().
// The store keeps the newest 400 points: a 401st drops the oldest.
//
// The processing dialogs make one with room for all their results and hand it whole batches
// (add_points, drop_oldest), each drawn once.

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "live/plot_scene.h"
#include "live/processed_plot.h"

namespace quelmar::live {

class ProcessedGraphControl : public QWidget {
    Q_OBJECT
  public:
    explicit ProcessedGraphControl(QWidget* parent = nullptr,
                                   std::size_t capacity = point_capacity);

    // Points, ranges, zoom level and selection.
    const ProcessedPlot& plot() const { return plot_; }
    int zoom_level() const { return plot_.zoom().level(); }
    // The last drawing and its texts (tick labels, titles, time labels, selected point).
    const QImage& image() const { return image_; }
    const std::vector<PlotText>& drawn_texts() const { return scene_.texts; }
    // Where the plot sits at the current size.
    const ProcessedPlotGeometry& geometry() const { return scene_.geometry; }
    // True while a drag is in progress.
    bool dragging() const { return dragging_; }

    // Takes in a batch of results (as add_point does, one by one) after dropping the oldest
    // `drop` points, then redraws once.
    struct Sample {
        quint32 x;
        double y;
    };
    void add_points(std::size_t drop, const std::vector<Sample>& samples);
    // Only these points, full range, no selection; redraws once.
    void replace_points(const std::vector<Sample>& samples);
    // Titles the value axis and fits its range to the data (see ProcessedPlot); shown at the
    // next redraw.
    void set_value_title(const QString& title);

  public slots:
    // The chemistry type may have changed: applies its default value range and redraws.
    void set_chemistry(quint8 type);
    // Redraws with the current zoom range.
    void redraw();
    // Takes in one result (seconds since 1970 UTC, value) and redraws soon after; results
    // arriving together are drawn once. A value that is not a finite number is ignored.
    void add_point(quint32 x, double y);
    // Full range, no selection, redraw.
    void reset();
    // Shows `range` (see ProcessedPlot::zoom_to) and redraws.
    bool zoom_to(const PlotRange& range, bool replace_top);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void render();

    ProcessedPlot plot_;
    ProcessedPlotScene scene_;
    QImage image_;
    bool redraw_queued_ = false;
    bool pressed_ = false;
    PlotPoint press_{};
    bool dragging_ = false;
    PlotPoint drag_start_{};
    PlotPoint drag_current_{};
};

}  // namespace quelmar::live
