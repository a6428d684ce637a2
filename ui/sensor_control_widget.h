#pragma once
// The "Sensor Control" group every live view carries: the start-state list, "Start", "Stop"
// and "Autostart". The group only asks; the main window starts and stops the sensor.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "protocol/run_commands.h"
#include "protocol/chemistry.h"

namespace quelmar::link {
class SensorLink;
}

namespace quelmar::ui {

class SensorControlWidget : public QGroupBox {
    Q_OBJECT
public:
    SensorControlWidget(link::SensorLink* link, QWidget* parent);

    // The record the group shows (read by its view): sets "Autostart" and the start list.
    void set_configuration(const protocol::ChemistryConfig& config);
    void set_shell_state(unsigned state);

    QComboBox* start_list() const { return list_; }
    QPushButton* start_button() const { return start_; }
    QPushButton* stop_button() const { return stop_; }
    QCheckBox* autostart_box() const { return autostart_; }

signals:
    void start_requested(int start_state);
    void stop_requested();
    // The start states dialog closed: the view re-reads the configuration.
    void start_states_edited();

private:
    void start_pressed();
    void autostart_clicked();
    void update_enabling();

    link::SensorLink* link_;
    QComboBox* list_;
    QPushButton* start_;
    QPushButton* stop_;
    QCheckBox* autostart_;
    unsigned state_ = 0;
};

// Reads the chemistry configuration for a view; on failure shows "Unable to get current
// chemistry from sensor" (when `report` is set) and gives the fallback record.
protocol::ChemistryConfig read_view_configuration(QWidget* parent, link::SensorLink* link,
                                                  bool report, bool* ok = nullptr);

}  // namespace quelmar::ui
