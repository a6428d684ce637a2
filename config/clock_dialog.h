#pragma once
// "Configure Sensor's Real Time Clock": the sensor's clock, read once a second by a worker,
// and "Set Now" to set it to a picked date and time or to the PC's clock (in UTC).

#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <functional>
#include <memory>

#include "config/clock_display.h"
#include "config/clock_face_widget.h"
#include "link/sensor_link.h"

namespace quelmar::config {

class ClockDialog : public QDialog {
    Q_OBJECT
  public:
    ClockDialog(link::SensorLink& link, QWidget* parent);
    ~ClockDialog() override;

    ClockFaceWidget* face() const { return face_; }
    QRadioButton* this_time_option() const { return this_time_; }
    QRadioButton* pc_time_option() const { return pc_time_; }
    QDateEdit* date_picker() const { return date_; }
    QTimeEdit* time_picker() const { return time_; }
    QPushButton* set_now_button() const { return set_now_; }

    // The PC's time in seconds since 1970 UTC; tests fix it.
    std::function<std::int64_t()> pc_now;

    void set_now_pressed();

  protected:
    void done(int result) override;

  private:
    void option_toggled();
    void show_clock_text(const QString& text);

    link::SensorLink& link_;
    ClockFaceWidget* face_;
    QRadioButton* this_time_;
    QRadioButton* pc_time_;
    QDateEdit* date_;
    QTimeEdit* time_;
    QPushButton* set_now_;
    QPushButton* close_;
    std::unique_ptr<ClockDisplayWorker> worker_;
};

void run_clock_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
