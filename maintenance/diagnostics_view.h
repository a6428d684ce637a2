#pragma once
// "DIAGNOSTICS": the sensor's diagnostics log streamed into a list while the view is open,
// with Save, Clear, Toggle LED, the restart log, the task table and the "Sensor Control"
// group.

#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdint>

#include "maintenance/diagnostics_log.h"
#include "ui/sensor_control_widget.h"
#include "ui/shell_view.h"

namespace quelmar::maintenance {

class DiagnosticsView : public ui::ShellView {
    Q_OBJECT
  public:
    DiagnosticsView(const ui::ShellContext& context, QWidget* parent,
                    std::chrono::milliseconds period = std::chrono::milliseconds(500));
    ~DiagnosticsView() override;

    void set_shell_state(unsigned state) override;
    void configuration_changed() override;
    void shutdown() override;

    QTreeWidget* list() const { return list_; }
    QCheckBox* pause_box() const { return pause_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* clear_button() const { return clear_; }
    QPushButton* tasks_button() const { return tasks_; }
    QPushButton* led_button() const { return led_; }
    QPushButton* restarts_button() const { return restarts_; }
    ui::SensorControlWidget* sensor_control() const { return control_; }

    void save_pressed();
    void clear_pressed();
    void tasks_pressed();
    void restarts_pressed();
    void led_pressed();

  private:
    void start_reader();
    void add_entry(std::uint64_t generation, const DiagnosticsLogEntry& entry);

    ui::ShellContext context_;
    ui::SensorControlWidget* control_;
    QPushButton* save_;
    QPushButton* clear_;
    QPushButton* tasks_;
    QPushButton* led_;
    QPushButton* restarts_;
    QCheckBox* pause_;
    QTreeWidget* list_;
    std::chrono::milliseconds period_;
    // Entries read before a wipe may still be on their way to this window when the list is
    // emptied; each run of the reader has its own number and late entries of an old run are
    // dropped.
    std::uint64_t generation_ = 0;
    DiagnosticsLogReader reader_;
};

}  // namespace quelmar::maintenance
