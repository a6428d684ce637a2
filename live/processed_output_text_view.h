#pragma once
// "PROCESSED OUTPUT" as a table: the sensor's on-board results, newest last, with "Save" to a
// CSV file, "Clear" to wipe the sensor's store, "Pause Display" and the "Sensor Control" group.

#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <chrono>

#include "live/processed_output_feed.h"
#include "ui/sensor_control_widget.h"
#include "ui/shell_view.h"

namespace quelmar::live {

class ProcessedOutputTextView : public ui::ShellView {
    Q_OBJECT
public:
    ProcessedOutputTextView(const ui::ShellContext& context, QWidget* parent,
                            std::chrono::milliseconds period = std::chrono::milliseconds(500));
    ~ProcessedOutputTextView() override;

    void set_shell_state(unsigned state) override;
    void configuration_changed() override;
    void shutdown() override;

    void save_pressed();
    void clear_pressed();

    QTableWidget* table() const { return table_; }
    QCheckBox* pause_box() const { return pause_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* clear_button() const { return clear_; }
    ui::SensorControlWidget* sensor_control() const { return control_; }
    protocol::ChemistryType chemistry() const { return chemistry_; }
    const ProcessedOutputWorker& worker() const { return worker_; }

    // Appends results as the view's thread hands them over (on this window's thread).
    void append(const std::vector<protocol::ProcessedRecord>& records);

private:
    void apply_titles();
    void start_worker();

    ui::ShellContext context_;
    std::chrono::milliseconds period_;
    ui::SensorControlWidget* control_;
    QPushButton* save_;
    QPushButton* clear_;
    QCheckBox* pause_;
    QTableWidget* table_;
    protocol::ChemistryType chemistry_ = protocol::chemistry::generic;
    QString last_save_name_;
    ProcessedOutputWorker worker_;
};

}  // namespace quelmar::live
