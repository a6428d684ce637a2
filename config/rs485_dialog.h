#pragma once
// "Configure RS485": the sensor's RS485 line settings, bus protocol, slave address and poll
// rate.

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "config/rs485_config.h"

namespace quelmar::config {

class Rs485Dialog : public QDialog {
    Q_OBJECT
public:
    // Reads the record; check loaded() before showing the dialog.
    Rs485Dialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }
    // Whether the slave address is drawn in red.
    bool address_marked() const;

    QComboBox* baud_box() const { return baud_; }
    QComboBox* data_bits_box() const { return data_bits_; }
    QComboBox* stop_bits_box() const { return stop_bits_; }
    QComboBox* parity_box() const { return parity_; }
    QComboBox* platform_box() const { return platform_; }
    QLineEdit* address_field() const { return address_; }
    QLineEdit* poll_rate_field() const { return poll_rate_; }
    QPushButton* save_button() const { return save_; }

private:
    void show_selection(const Rs485Selection& s);
    void platform_chosen();
    void address_changed();
    void save_pressed();
    Rs485Selection selection() const;

    link::SensorLink& link_;
    bool loaded_ = false;
    bool showing_ = false;
    QComboBox* baud_;
    QComboBox* data_bits_;
    QComboBox* stop_bits_;
    QComboBox* parity_;
    QComboBox* platform_;
    QLineEdit* address_;
    QLineEdit* poll_rate_;
    QPushButton* save_;
    QPushButton* close_;
};

void run_rs485_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
