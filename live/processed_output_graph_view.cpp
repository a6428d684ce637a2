#include "live/processed_output_graph_view.h"

#include <QMetaObject>
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
    connect(reset_, &QPushButton::clicked, graph_, &ProcessedGraphControl::reset);

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
    graph_->redraw();
}

}  // namespace quelmar::live
