#pragma once
// "Configure Thermistors": for each of the three thermistors, its analogue input and the cubic
// that turns the input's voltage into degrees Celsius, laid out to read as the polynomial.

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "config/thermistor_config.h"

namespace quelmar::config {

class ThermistorDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the three records; check loaded() before showing the dialog.
    ThermistorDialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }

    QComboBox* channel_box(std::size_t thermistor) const { return rows_[thermistor].channel; }
    // Coefficient 0..3: c3, c2, c1, c0.
    QLineEdit* coefficient_field(std::size_t thermistor, std::size_t i) const {
        return rows_[thermistor].coefficients[i];
    }
    QPushButton* save_button() const { return save_; }

private:
    struct Row {
        QComboBox* channel = nullptr;
        std::array<QLineEdit*, 4> coefficients{};
    };
    void show_records(const Thermistors& configs);
    void save_pressed();

    link::SensorLink& link_;
    bool loaded_ = false;
    std::array<Row, thermistor_count> rows_{};
    QPushButton* save_;
    QPushButton* close_;
};

void run_thermistor_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
