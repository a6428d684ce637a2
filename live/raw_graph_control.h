#pragma once
// The raw graph: the eight raw channels of the readings history against the reading counter.
//
// How a view feeds it: the raw graph view's thread only asks for a redraw (every 100 ms unless
// "Pause Display" is checked) by queueing a call onto the user-interface thread, e.g.
//     QMetaObject::invokeMethod(view, [view] { view->redraw_graph(); }, Qt::QueuedConnection);
// There the view builds a RawPlotInput from copies, each taken under the monitor's locks:
//     input.monitor_running = monitor.running();
//     input.entries = monitor.history().newest(control->plot_width());
//     input.platform = monitor.platform_snapshot();
// adds the channel flags and the two overlay check boxes of raw_graph_settings() and the three
// thermistor configurations it read, and calls control->redraw(std::move(input)). The control
// draws into its off-screen image there and then; painting only copies that image.

#include <QImage>
#include <QWidget>
#include <vector>

#include "live/plot_scene.h"
#include "live/raw_plot.h"
#include "live/raw_plot_input.h"

namespace quelmar::live {

class RawGraphControl : public QWidget {
    Q_OBJECT
  public:
    explicit RawGraphControl(QWidget* parent = nullptr);

    // How many history entries the plot shows at its current size (one per pixel column, at
    // most the history's 3600); 0 while the control is too small to plot.
    int plot_width() const;

    // The last drawing and its texts (counter and state labels, overlays, axis labels).
    const QImage& image() const { return image_; }
    const std::vector<PlotText>& drawn_texts() const { return scene_.texts; }
    // Where the plot sits at the current size.
    const RawPlotGeometry& geometry() const { return scene_.geometry; }

  public slots:
    // Draws `input` and repaints. The control keeps the record, so that holding the left button
    // over the plot (which shows the state of the reading under the pointer) and resizing redraw
    // from the same data.
    void redraw(quelmar::live::RawPlotInput input);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void render();

    RawPlotInput input_;
    QImage image_;
    RawPlotScene scene_;  // kept so that the 10 Hz redraw reuses its buffers
    int held_x_ = 0;      // pointer position while the left button is held; x 0 means not held
    int held_y_ = 0;
};

}  // namespace quelmar::live
