#pragma once
// "Configure Measurement Schedule": when the sensor starts measuring, how often, and when it
// stops, for the states that wait for the next measurement time.

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include "config/schedule_settings.h"

namespace quelmar::config {

class ScheduleDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads the schedule; check loaded() before showing the dialog.
    ScheduleDialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }

    QDateEdit* start_date() const { return start_date_; }
    QTimeEdit* start_time() const { return start_time_; }
    QRadioButton* continuous_option() const { return continuous_; }
    QRadioButton* hours_option() const { return hours_option_; }
    QRadioButton* minutes_option() const { return minutes_option_; }
    QLineEdit* hours_box() const { return hours_; }
    QLineEdit* minutes_box() const { return minutes_; }
    QCheckBox* stop_box() const { return stop_enabled_; }
    QDateEdit* stop_date() const { return stop_date_; }
    QTimeEdit* stop_time() const { return stop_time_; }
    QPushButton* save_button() const { return save_; }

  private:
    ScheduleForm read_controls() const;
    void show_form(const ScheduleForm& form);
    void apply_enabling();
    void interval_clicked(std::uint8_t kind);
    void stop_clicked();
    void save_pressed();

    link::SensorLink& link_;
    std::uint8_t version_ = 0;
    bool loaded_ = false;
    QDateEdit* start_date_;
    QTimeEdit* start_time_;
    QRadioButton* continuous_;
    QRadioButton* hours_option_;
    QRadioButton* minutes_option_;
    QLineEdit* hours_;
    QLineEdit* minutes_;
    QCheckBox* stop_enabled_;
    QDateEdit* stop_date_;
    QTimeEdit* stop_time_;
    QPushButton* save_;
    QPushButton* cancel_;
};

// Opens the dialog modally, or says why it cannot.
void run_schedule_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
