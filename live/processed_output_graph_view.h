#pragma once
// "PROCESSED OUTPUT" as a graph: each on-board result against its platform time in the
// processed graph control, with "Reset Graph" and the "Sensor Control" group.

#include <QPushButton>
#include <chrono>

#include "live/processed_graph_control.h"
#include "live/processed_output_feed.h"
#include "ui/sensor_control_widget.h"
#include "ui/shell_view.h"

namespace quelmar::live {

class ProcessedOutputGraphView : public ui::ShellView {
    Q_OBJECT
public:
    ProcessedOutputGraphView(const ui::ShellContext& context, QWidget* parent,
                             std::chrono::milliseconds period = std::chrono::milliseconds(1000));
    ~ProcessedOutputGraphView() override;

    void set_shell_state(unsigned state) override;
    void configuration_changed() override;
    void shutdown() override;

    ProcessedGraphControl* graph() const { return graph_; }
    QPushButton* reset_button() const { return reset_; }
    ui::SensorControlWidget* sensor_control() const { return control_; }
    const ProcessedOutputWorker& worker() const { return worker_; }
    // Results handed to the graph so far.
    std::size_t points_added() const { return points_added_; }

    // Gives results to the graph and redraws (on this window's thread).
    void plot(const std::vector<protocol::ProcessedRecord>& records);

    // Whether the view keeps a window on the results with a real time (see plot()).
    bool keeps_time_window() const { return window_level_ > 0; }

private:
    void keep_time_window();

    ui::ShellContext context_;
    ui::SensorControlWidget* control_;
    QPushButton* reset_;
    ProcessedGraphControl* graph_;
    std::size_t points_added_ = 0;
    int window_level_ = 0;        // the zoom level of the view's own window; 0: none
    bool window_refused_ = false;  // "Reset Graph" asked for the full range
    ProcessedOutputWorker worker_;
};

}  // namespace quelmar::live
