#pragma once
// "Configure Platform Defaults": the platform data the sensor uses until its host supplies
// them.

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "config/platform_defaults.h"

namespace quelmar::config {

class PlatformDefaultsDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the record; check loaded() before showing the dialog.
    PlatformDefaultsDialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }

    QLineEdit* dive_number_field() const { return dive_number_; }
    QLineEdit* salinity_field() const { return salinity_; }
    QLineEdit* temperature_field() const { return temperature_; }
    QLineEdit* oxygen_field() const { return oxygen_; }
    QLineEdit* depth_field() const { return depth_; }
    QComboBox* direction_box() const { return direction_; }
    QLineEdit* time_offset_field() const { return time_offset_; }
    QLineEdit* parameter_field(std::size_t i) const { return parameters_[i]; }
    QPushButton* save_button() const { return save_; }

private:
    void show_record(const PlatformDefaults& config);
    void save_pressed();

    link::SensorLink& link_;
    bool loaded_ = false;
    QLineEdit* dive_number_;
    QLineEdit* salinity_;
    QLineEdit* temperature_;
    QLineEdit* oxygen_;
    QLineEdit* depth_;
    QComboBox* direction_;
    QLineEdit* time_offset_;
    std::array<QLineEdit*, 3> parameters_{};
    QPushButton* save_;
    QPushButton* close_;
};

void run_platform_defaults_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
