#pragma once
// "RAW OUTPUT" as a table: one row per reading of the status monitor's history, the newest
// followed as it comes, with "Pause Display" and the "Sensor Control" group.

#include <QCheckBox>
#include <QTableWidget>

#include "ui/sensor_control_widget.h"
#include "ui/shell_view.h"
#include "live/raw_table_feed.h"

namespace quelmar::live {

class RawOutputTextView : public ui::ShellView {
    Q_OBJECT
public:
    RawOutputTextView(const ui::ShellContext& context, QWidget* parent,
                      std::chrono::milliseconds period = std::chrono::milliseconds(1000));
    ~RawOutputTextView() override;

    void set_shell_state(unsigned state) override;
    void configuration_changed() override;
    void shutdown() override;

    QTableWidget* table() const { return table_; }
    QCheckBox* pause_box() const { return pause_; }
    ui::SensorControlWidget* sensor_control() const { return control_; }

private:
    void apply(const FeedStep& step);
    void append_row(const protocol::ReadingsBytes& entry);

    ui::ShellContext context_;
    ui::SensorControlWidget* control_;
    QCheckBox* pause_;
    QTableWidget* table_;
    RawTableWorker worker_;
};

}  // namespace quelmar::live
