#include "live/raw_output_graph_view.h"

#include <QGridLayout>
#include <QMetaObject>
#include <QVBoxLayout>

#include "ui/prompts.h"
#include "monitor/status_monitor.h"
#include "common/text.h"
#include "live/raw_graph_settings.h"

namespace quelmar::live {

RawOutputGraphView::RawOutputGraphView(const ui::ShellContext& context, QWidget* parent,
                                       std::chrono::milliseconds period)
    : ShellView("RAW OUTPUT", parent),
      context_(context),
      control_(new ui::SensorControlWidget(context.link, this)),
      platform_(new QCheckBox("Platform Data", this)),
      thermistor_(new QCheckBox("Thermistor Temps", this)),
      pause_(new QCheckBox("Pause Display", this)),
      graph_(new RawGraphControl(this)) {
    auto* column = new QVBoxLayout;
    column->addWidget(control_);
    auto* boxes = new QGridLayout;
    for (std::size_t c = 0; c < raw_channel_count; ++c) {
        channels_[c] = new QCheckBox(QString::fromStdString(common::format_text("Channel %zu", c)), this);
        // The swatch: an "X" in the channel's trace colour on the graph's grey.
        auto* swatch = new QLabel("X", this);
        const Rgb colour = raw_channel_colours[c];
        swatch->setStyleSheet(QString("color: rgb(%1,%2,%3); background: rgb(150,150,150);"
                                      " font-weight: bold; padding: 0 3px;")
                                  .arg(colour.r)
                                  .arg(colour.g)
                                  .arg(colour.b));
        swatch->setFixedWidth(swatch->sizeHint().width());
        boxes->addWidget(swatch, int(c), 0);
        boxes->addWidget(channels_[c], int(c), 1);
        connect(channels_[c], &QCheckBox::toggled, this,
                [c](bool on) { raw_graph_settings().channel_shown[c] = on; });
    }
    boxes->setColumnStretch(1, 1);
    column->addLayout(boxes);
    column->addWidget(platform_);
    column->addWidget(thermistor_);
    column->addWidget(pause_);
    column->addStretch();
    body()->addLayout(column);
    body()->addWidget(graph_, 1);

    connect(platform_, &QCheckBox::toggled, this,
            [](bool on) { raw_graph_settings().platform_overlay = on; });
    connect(thermistor_, &QCheckBox::toggled, this,
            [](bool on) { raw_graph_settings().thermistor_overlay = on; });
    connect(pause_, &QCheckBox::toggled, this, [this](bool on) { paused_.store(on); });
    connect(control_, &ui::SensorControlWidget::start_requested, this,
            &ShellView::start_requested);
    connect(control_, &ui::SensorControlWidget::stop_requested, this, &ShellView::stop_requested);
    connect(control_, &ui::SensorControlWidget::start_states_edited, this,
            &RawOutputGraphView::configuration_changed);

    bool chemistry_ok = false;
    const auto config = ui::read_view_configuration(this, context_.link, true, &chemistry_ok);
    control_->set_configuration(config);
    bool thermistors_ok = false;
    if (chemistry_ok) {
        thermistors_ok = true;
        for (std::uint8_t i = 0; i < config::thermistor_count && thermistors_ok; ++i) {
            if (config::read_thermistor_config(*context_.link, i, thermistors_[i]) !=
                protocol::status::ok) {
                thermistors_[i] = {};
                thermistors_ok = false;
                ui::show_message(this, QString("Thermistor %1").arg(i),
                                  QString::fromStdString(common::format_text(
                                      "Unable to get thermistor(%u) config", unsigned(i))),
                                  ui::PromptIcon::warning);
            }
        }
    }
    if (chemistry_ok && thermistors_ok) label_channels(config.chemistry);

    RawGraphSettings& settings = raw_graph_settings();
    if (!settings.channels_chosen) {
        settings.channel_shown = default_channels(config.chemistry, chemistry_ok);
        settings.channels_chosen = true;
    }
    for (std::size_t c = 0; c < raw_channel_count; ++c) {
        const QSignalBlocker block(channels_[c]);
        channels_[c]->setChecked(settings.channel_shown[c]);
    }
    {
        const QSignalBlocker a(platform_), b(thermistor_);
        platform_->setChecked(settings.platform_overlay);
        thermistor_->setChecked(settings.thermistor_overlay);
    }
    set_shell_state(context.state);

    // The thread only asks for redraws; drawing happens on this window's thread. At most one
    // request waits in that thread's queue: while the window is held up (a modal question, a
    // slow exchange) the ticks it misses would otherwise pile up and be drawn one after another.
    stop_.reset();
    thread_ = std::thread([this, period] {
        while (!stop_.wait_for_stop(period)) {
            if (paused_.load()) continue;
            ++redraw_ticks_;
            if (redraw_queued_.exchange(true)) continue;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    redraw_queued_.store(false);
                    redraw_graph();
                },
                Qt::QueuedConnection);
        }
    });
}

RawOutputGraphView::~RawOutputGraphView() { stop_thread(); }

void RawOutputGraphView::shutdown() { stop_thread(); }

void RawOutputGraphView::stop_thread() {
    if (!thread_.joinable()) return;
    stop_.request_stop();
    thread_.join();
}

void RawOutputGraphView::set_shell_state(unsigned state) {
    ShellView::set_shell_state(state);
    control_->set_shell_state(state);
}

void RawOutputGraphView::label_channels(protocol::ChemistryType type) {
    for (std::size_t c = 0; c < raw_channel_count; ++c)
        channels_[c]->setText(QString::fromStdString(channel_label(type, c)));
}

void RawOutputGraphView::configuration_changed() {
    bool ok = false;
    const auto config = ui::read_view_configuration(this, context_.link, false, &ok);
    if (ok) {
        control_->set_configuration(config);
        label_channels(config.chemistry);
    }
    for (std::uint8_t i = 0; i < config::thermistor_count; ++i)
        if (!context_.link ||
            config::read_thermistor_config(*context_.link, i, thermistors_[i]) != protocol::status::ok)
            thermistors_[i] = {};
}

void RawOutputGraphView::redraw_graph() {
    if (!thread_.joinable()) return;  // shut down: the view is on its way out
    RawPlotInput input;
    const RawGraphSettings& settings = raw_graph_settings();
    if (context_.monitor) {
        input.monitor_running = context_.monitor->running();
        input.entries = context_.monitor->history().newest(std::size_t(std::max(0, graph_->plot_width())));
        input.platform = context_.monitor->platform_snapshot();
    }
    input.channel_shown = settings.channel_shown;
    input.platform_overlay = platform_->isChecked();
    input.thermistor_overlay = thermistor_->isChecked();
    input.thermistors = thermistors_;
    graph_->redraw(std::move(input));
    ++redraws_;
}

}  // namespace quelmar::live
