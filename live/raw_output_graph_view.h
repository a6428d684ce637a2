#pragma once
// "RAW OUTPUT" as a graph: the eight raw channels of the readings history drawn by the raw
// graph control, ten times a second, with a check box per channel, the platform data and
// thermistor overlays, "Pause Display" and the "Sensor Control" group.

#include <QCheckBox>
#include <QLabel>
#include <array>
#include <atomic>
#include <thread>

#include "ui/sensor_control_widget.h"
#include "ui/shell_view.h"
#include "common/stop_signal.h"
#include "config/thermistor_config.h"
#include "live/raw_graph_control.h"
#include "live/raw_plot_input.h"

namespace quelmar::live {

class RawOutputGraphView : public ui::ShellView {
    Q_OBJECT
public:
    RawOutputGraphView(const ui::ShellContext& context, QWidget* parent,
                       std::chrono::milliseconds period = std::chrono::milliseconds(100));
    ~RawOutputGraphView() override;

    void set_shell_state(unsigned state) override;
    void configuration_changed() override;
    void shutdown() override;

    // Draws the graph from the monitor's history now (the view's thread asks for this).
    void redraw_graph();

    RawGraphControl* graph() const { return graph_; }
    QCheckBox* channel_box(std::size_t channel) const { return channels_[channel]; }
    QCheckBox* platform_box() const { return platform_; }
    QCheckBox* thermistor_box() const { return thermistor_; }
    QCheckBox* pause_box() const { return pause_; }
    ui::SensorControlWidget* sensor_control() const { return control_; }
    int redraw_count() const { return redraws_; }
    // How many times the view's thread has wanted a redraw.
    int redraw_ticks() const { return redraw_ticks_.load(); }

private:
    void read_thermistors(bool report);
    void label_channels(protocol::ChemistryType type);
    void stop_thread();

    ui::ShellContext context_;
    ui::SensorControlWidget* control_;
    std::array<QCheckBox*, raw_channel_count> channels_{};
    QCheckBox* platform_;
    QCheckBox* thermistor_;
    QCheckBox* pause_;
    RawGraphControl* graph_;
    std::array<config::ThermistorConfig, config::thermistor_count> thermistors_{};
    int redraws_ = 0;

    common::StopSignal stop_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> redraw_queued_{false};
    std::atomic<int> redraw_ticks_{0};
    std::thread thread_;
};

}  // namespace quelmar::live
