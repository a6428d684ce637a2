#include "config/rs485_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/settings_dialog.h"
#include "config/typed_fields.h"
#include "config/rs232_dialog.h"
#include "ui/prompts.h"

namespace quelmar::config {

Rs485Dialog::Rs485Dialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), link_(link), baud_(new QComboBox(this)), data_bits_(new QComboBox(this)),
      stop_bits_(new QComboBox(this)), parity_(new QComboBox(this)),
      platform_(new QComboBox(this)), address_(new QLineEdit(this)),
      poll_rate_(new QLineEdit(this)), save_(new QPushButton("Save", this)),
      close_(new QPushButton("Close", this)) {
    setWindowTitle("Configure RS485");
    fill_choices(baud_, rs485_baud_choices);
    fill_choices(data_bits_, data_bits_choices);
    fill_choices(stop_bits_, stop_bits_choices);
    fill_choices(parity_, parity_choices);
    fill_choices(platform_, rs485_platform_choices);
    address_->setToolTip("Sensor slave address on RS485 bus");
    address_->setMaxLength(10);
    poll_rate_->setMaxLength(10);

    auto* form = new QFormLayout;
    form->addRow("Baud Rate", baud_);
    form->addRow("Data Bits", data_bits_);
    form->addRow("Stop Bits", stop_bits_);
    form->addRow("Parity", parity_);
    form->addRow("Platform", platform_);
    form->addRow("Slave Address", address_);
    form->addRow("Poll Rate (s)", poll_rate_);
    lay_out_form_dialog(this, form, save_, close_);

    // Every choice the user makes presets the line, the one already shown included; showing
    // the sensor's record presets nothing.
    connect(platform_, &QComboBox::activated, this, &Rs485Dialog::platform_chosen);
    connect(address_, &QLineEdit::textChanged, this, &Rs485Dialog::address_changed);
    connect(save_, &QPushButton::clicked, this, &Rs485Dialog::save_pressed);

    Rs485Config config;
    loaded_ = read_rs485_config(link_, config) == protocol::status::ok;
    if (loaded_) show_selection(rs485_selection(config));
}

void Rs485Dialog::show_selection(const Rs485Selection& s) {
    showing_ = true;
    baud_->setCurrentIndex(int(s.baud));
    data_bits_->setCurrentIndex(int(s.data_bits));
    stop_bits_->setCurrentIndex(int(s.stop_bits));
    parity_->setCurrentIndex(int(s.parity));
    platform_->setCurrentIndex(int(s.platform));
    address_->setText(QString::number(s.slave_address));
    poll_rate_->setText(QString::number(s.poll_rate_s));
    showing_ = false;
    address_changed();
}

Rs485Selection Rs485Dialog::selection() const {
    return {baud_->currentIndex(),
            data_bits_->currentIndex(),
            stop_bits_->currentIndex(),
            parity_->currentIndex(),
            platform_->currentIndex(),
            typed_unsigned(address_->text().toStdString()),
            typed_unsigned(poll_rate_->text().toStdString())};
}

bool Rs485Dialog::address_marked() const {
    return rs485_slave_address_warning(platform_->currentIndex(),
                                       typed_unsigned(address_->text().toStdString()));
}

void Rs485Dialog::platform_chosen() {
    if (showing_) return;
    Rs485Selection s = selection();
    apply_rs485_platform_preset(s);
    show_selection(s);
}

void Rs485Dialog::address_changed() {
    address_->setStyleSheet(address_marked() ? "color: red;" : QString());
}

void Rs485Dialog::save_pressed() {
    const Rs485Config edited = rs485_from_selection(selection());
    Rs485Config read_back;
    const bool saved = save_then_read_back([&] { return write_rs485_config(link_, edited); },
                                           [&] { return read_rs485_config(link_, read_back); });
    if (saved) show_selection(rs485_selection(read_back));
    show_save_outcome(this, saved);
}

void run_rs485_dialog(QWidget* parent, link::SensorLink& link) {
    run_settings_dialog<Rs485Dialog>(parent, link, "RS485 Configuration",
                                     "Unable to retrieve RS485 settings from device");
}

}  // namespace quelmar::config
