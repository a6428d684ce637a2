#include "live/processed_output_graph_view.h"

#include <QMetaObject>
#include <algorithm>
#include <QVBoxLayout>

namespace quelmar::live {

ProcessedOutputGraphView::ProcessedOutputGraphView(const ui::ShellContext& context,
                                                   QWidget* parent,
                                                   std::chrono::milliseconds period)
    : ShellView("PROCESSED OUTPUT", parent),
      context_(context),
      control_(new ui::SensorControlWidget(context.link, this)),
      reset_(new QPushButton("Reset Graph", this)),
      graph_(new ProcessedGraphControl(this)) {
    auto* column = new QVBoxLayout;
    column->addWidget(control_);
    column->addWidget(reset_);
    column->addStretch();
    body()->addLayout(column);
    body()->addWidget(graph_, 1);

    connect(control_, &ui::SensorControlWidget::start_requested, this,
            &ShellView::start_requested);
    connect(control_, &ui::SensorControlWidget::stop_requested, this, &ShellView::stop_requested);
    connect(control_, &ui::SensorControlWidget::start_states_edited, this,
            &ProcessedOutputGraphView::configuration_changed);
    connect(reset_, &QPushButton::clicked, this, [this] {
        // The user asked for everything, 1970 included.
        window_refused_ = true;
        window_level_ = 0;
        graph_->reset();
    });

    const auto config = ui::read_view_configuration(this, context_.link, true);
    graph_->set_chemistry(config.chemistry);
    control_->set_configuration(config);
    set_shell_state(context.state);

    if (context_.link) {
        // The thread hands each batch over to this window's thread; the graph is only ever
        // touched there.
        worker_.start(*context_.link,
                      [this](std::vector<protocol::ProcessedRecord> batch) {
                          QMetaObject::invokeMethod(
                              this, [this, batch = std::move(batch)] { plot(batch); },
                              Qt::QueuedConnection);
                      },
                      period);
    }
}

ProcessedOutputGraphView::~ProcessedOutputGraphView() { worker_.stop(); }

void ProcessedOutputGraphView::shutdown() { worker_.stop(); }

void ProcessedOutputGraphView::set_shell_state(unsigned state) {
    ShellView::set_shell_state(state);
    control_->set_shell_state(state);
}

void ProcessedOutputGraphView::configuration_changed() {
    bool ok = false;
    const auto config = ui::read_view_configuration(this, context_.link, false, &ok);
    if (!ok) return;
    graph_->set_chemistry(config.chemistry);
    control_->set_configuration(config);
}

void ProcessedOutputGraphView::plot(const std::vector<protocol::ProcessedRecord>& records) {
    for (const auto& r : records) graph_->add_point(r.platform_time, protocol::processed_value(r));
    points_added_ += records.size();
    keep_time_window();
    graph_->redraw();
}

// A result whose platform time is 0 (the platform gave none) is plotted at 1 January 1970 and
// the full range reaches back to it, which would squeeze every other result into one pixel
// column. While such results are among the points, the view shows a window on the results
// with a real time instead, kept up to date as results arrive; "Reset Graph" (or a zoom of the
// user's own) shows the full range as it is.
void ProcessedOutputGraphView::keep_time_window() {
    if (window_refused_) return;
    const ProcessedPlot& plot = graph_->plot();
    const int level = plot.zoom().level();
    if (window_level_ > 0 && level != window_level_) {
        window_level_ = 0;  // the user zoomed in or out: leave the view to them
        window_refused_ = true;
        return;
    }
    bool epoch = false;
    bool have_real = false;
    PlotRange real{};
    for (const auto& p : plot.store().points()) {
        if (p.x == 0) {
            epoch = true;
            continue;
        }
        if (!have_real) {
            real.xmin = real.xmax = p.x;
            have_real = true;
        }
        real.xmin = std::min(real.xmin, p.x);
        real.xmax = std::max(real.xmax, p.x);
    }
    if (!epoch || !have_real) return;
    const PlotRange& full = plot.store().full_range();
    real.ymin = full.ymin;
    real.ymax = full.ymax;
    if (window_level_ == 0 && level != 0) return;  // the user's own zoom stays
    if (graph_->zoom_to(real, window_level_ > 0)) window_level_ = plot.zoom().level();
}

}  // namespace quelmar::live
