#pragma once
// "Configure RS232": the sensor's RS232 line settings and host platform protocol.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <span>

#include "config/choice_list_widget.h"
#include "config/rs232_config.h"

namespace quelmar::config {

// Fills a settings list with its choices' texts.

class Rs232Dialog : public QDialog {
    Q_OBJECT
public:
    // Reads the record; check loaded() before showing the dialog.
    Rs232Dialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }

    QComboBox* baud_box() const { return baud_; }
    QComboBox* data_bits_box() const { return data_bits_; }
    QComboBox* stop_bits_box() const { return stop_bits_; }
    QComboBox* parity_box() const { return parity_; }
    QComboBox* platform_box() const { return platform_; }
    QPushButton* save_button() const { return save_; }

private:
    void show_record();
    void platform_chosen();
    void save_pressed();
    Rs232Selection selection() const;

    link::SensorLink& link_;
    Rs232Config config_;
    bool loaded_ = false;
    bool showing_ = false;
    QComboBox* baud_;
    QComboBox* data_bits_;
    QComboBox* stop_bits_;
    QComboBox* parity_;
    QComboBox* platform_;
    QPushButton* save_;
    QPushButton* close_;
};

// Opens the dialog modally, or says why it cannot.
void run_rs232_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
