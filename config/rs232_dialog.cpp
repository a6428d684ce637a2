#include "config/rs232_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/settings_dialog.h"
#include "config/typed_fields.h"
#include "ui/prompts.h"

namespace quelmar::config {

Rs232Dialog::Rs232Dialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), link_(link), baud_(new QComboBox(this)), data_bits_(new QComboBox(this)),
      stop_bits_(new QComboBox(this)), parity_(new QComboBox(this)),
      platform_(new QComboBox(this)), save_(new QPushButton("Save", this)),
      close_(new QPushButton("Close", this)) {
    setWindowTitle("Configure RS232");
    fill_choices(baud_, rs232_baud_choices);
    fill_choices(data_bits_, data_bits_choices);
    fill_choices(stop_bits_, stop_bits_choices);
    fill_choices(parity_, parity_choices);
    fill_choices(platform_, rs232_platform_choices);

    auto* form = new QFormLayout;
    form->addRow("Baud Rate", baud_);
    form->addRow("Data Bits", data_bits_);
    form->addRow("Stop Bits", stop_bits_);
    form->addRow("Parity", parity_);
    form->addRow("Platform", platform_);
    lay_out_form_dialog(this, form, save_, close_);

    // Every choice the user makes presets the line, the one already shown included; showing
    // the sensor's record presets nothing.
    connect(platform_, &QComboBox::activated, this, &Rs232Dialog::platform_chosen);
    connect(save_, &QPushButton::clicked, this, &Rs232Dialog::save_pressed);

    loaded_ = read_rs232_config(link_, config_) == protocol::status::ok;
    if (loaded_) show_record();
}

void Rs232Dialog::show_record() {
    const Rs232Selection s = rs232_selection(config_);
    showing_ = true;
    baud_->setCurrentIndex(int(s.baud));
    data_bits_->setCurrentIndex(int(s.data_bits));
    stop_bits_->setCurrentIndex(int(s.stop_bits));
    parity_->setCurrentIndex(int(s.parity));
    platform_->setCurrentIndex(int(s.platform));
    showing_ = false;
}

Rs232Selection Rs232Dialog::selection() const {
    return {baud_->currentIndex(), data_bits_->currentIndex(),
            stop_bits_->currentIndex(), parity_->currentIndex(),
            platform_->currentIndex()};
}

// Only a choice the user makes presets the line; showing the sensor's record does not.
void Rs232Dialog::platform_chosen() {
    if (showing_) return;
    Rs232Selection s = selection();
    apply_rs232_platform_preset(s);
    baud_->setCurrentIndex(int(s.baud));
    data_bits_->setCurrentIndex(int(s.data_bits));
    stop_bits_->setCurrentIndex(int(s.stop_bits));
    parity_->setCurrentIndex(int(s.parity));
}

void Rs232Dialog::save_pressed() {
    const Rs232Config edited = rs232_from_selection(selection());
    Rs232Config read_back;
    const bool saved = save_then_read_back([&] { return write_rs232_config(link_, edited); },
                                           [&] { return read_rs232_config(link_, read_back); });
    if (saved) {
        config_ = read_back;
        show_record();
    }
    show_save_outcome(this, saved);
}

void run_rs232_dialog(QWidget* parent, link::SensorLink& link) {
    run_settings_dialog<Rs232Dialog>(parent, link, "RS232 Configuration",
                                     "Unable to retrieve RS232 settings from device");
}

}  // namespace quelmar::config
