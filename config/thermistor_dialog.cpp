#include "config/thermistor_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "config/settings_dialog.h"
#include "config/typed_fields.h"
#include "ui/prompts.h"

namespace quelmar::config {

ThermistorDialog::ThermistorDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), link_(link), save_(new QPushButton("Save", this)),
      close_(new QPushButton("Close", this)) {
    setWindowTitle("Configure Thermistors");
    auto* layout = new QVBoxLayout(this);
    // The labels between the boxes, so that each row reads
    // "Temperature (°C) = c3 volts^3 + c2 volts^2 + c1 volts + c0".
    static const char* const after[4] = {"volts^3", "volts^2", "volts", nullptr};
    for (std::size_t t = 0; t < thermistor_count; ++t) {
        auto* group = new QGroupBox(QString("Thermistor %1").arg(t + 1), this);
        auto* grid = new QGridLayout(group);
        Row& row = rows_[t];
        row.channel = new QComboBox(group);
        for (int c = 0; c < thermistor_input_choices; ++c) row.channel->addItem(QString::number(c));
        grid->addWidget(new QLabel("Input Channel", group), 0, 0);
        grid->addWidget(row.channel, 0, 1, 1, 2);
        int column = 0;
        grid->addWidget(new QLabel(QString::fromUtf8("Temperature (°C)"), group), 1, column++);
        grid->addWidget(new QLabel("=", group), 1, column++);
        for (std::size_t i = 0; i < row.coefficients.size(); ++i) {
            row.coefficients[i] = new QLineEdit(group);
            row.coefficients[i]->setMaxLength(int(decimal_field_length));
            // Wide enough for a coefficient as shown, "-1234.56789".
            row.coefficients[i]->setMinimumWidth(
                row.coefficients[i]->fontMetrics().horizontalAdvance("-00000.00000") + 12);
            grid->addWidget(row.coefficients[i], 1, column++);
            if (after[i]) {
                grid->addWidget(new QLabel(after[i], group), 1, column++);
                grid->addWidget(new QLabel("+", group), 1, column++);
            }
        }
        layout->addWidget(group);
    }
    layout->addLayout(button_row({save_, close_}));

    connect(save_, &QPushButton::clicked, this, &ThermistorDialog::save_pressed);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    Thermistors configs{};
    loaded_ = read_thermistors(link_, configs) == protocol::status::ok;
    if (loaded_) show_records(configs);
}

void ThermistorDialog::show_records(const Thermistors& configs) {
    for (std::size_t t = 0; t < thermistor_count; ++t) {
        const ThermistorRowText text = thermistor_row_text(configs[t]);
        rows_[t].channel->setCurrentIndex(text.input_channel);
        for (std::size_t i = 0; i < text.coefficients.size(); ++i)
            rows_[t].coefficients[i]->setText(QString::fromStdString(text.coefficients[i]));
    }
}

void ThermistorDialog::save_pressed() {
    Thermistors edited{};
    for (std::size_t t = 0; t < thermistor_count; ++t) {
        ThermistorRowText text;
        text.input_channel = static_cast<std::uint8_t>(rows_[t].channel->currentIndex());
        for (std::size_t i = 0; i < text.coefficients.size(); ++i)
            text.coefficients[i] = rows_[t].coefficients[i]->text().toStdString();
        edited[t] = thermistor_from_row(text);
    }
    Thermistors read_back{};
    const bool saved = write_thermistors(link_, edited, read_back) == protocol::status::ok;
    if (saved) show_records(read_back);
    show_save_outcome(this, saved);
}

void run_thermistor_dialog(QWidget* parent, link::SensorLink& link) {
    run_settings_dialog<ThermistorDialog>(parent, link, "Thermistors Configuration",
                                          "Unable to retrieve thermistors settings from device");
}

}  // namespace quelmar::config
