#include "config/chemistry_ph_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cstring>

namespace quelmar::config {

PhChemistryPage::PhChemistryPage(const ChemistryPage& page, QWidget* parent)
    : ChemistryPageWidget(page, parent),
      interval_(make_number_edit(this)),
      multiplexer_(make_choice_list(multiplexer_choices, this)),
      version_(make_choice_list(sensor_version_choices, this)),
      blue_(make_choice_list(channel_choices, this)),
      yellow_(make_choice_list(channel_choices, this)),
      intake_(make_number_edit(this)),
      measurement_(make_number_edit(this)),
      blank_start_(make_number_edit(this)),
      blank_end_(make_number_edit(this)) {
    auto* top = new QVBoxLayout(this);
    top->addWidget(configure_);
    auto* form = new QGridLayout;
    int row = 0;
    auto add = [&](const char* label, QWidget* w) {
        form->addWidget(new QLabel(label, this), row, 0);
        form->addWidget(w, row, 1);
        ++row;
    };
    add("Sample Interval (ms)", interval_);
    add("Multiplexer", multiplexer_);
    add("Sensor Version", version_);
    add("Input Channel (Blue)", blue_);
    add("Input Channel (Yellow)", yellow_);
    add("Sample Intake State", intake_);
    add("Sample Measurement State", measurement_);
    add("Blank Start Offset (seconds)", blank_start_);
    add("Blank End Offset (seconds)", blank_end_);
    for (std::size_t i = 0; i < decimals_.size(); ++i) {
        decimals_[i] = make_number_edit(this);
        add(ph_decimal_labels[i], decimals_[i]);
    }
    top->addLayout(form);
    top->addStretch();
}

void PhChemistryPage::read_record(std::span<std::uint8_t> record) {
    PhForm f;
    f.sensor_version = version_->currentIndex();
    f.blue_channel = blue_->currentIndex();
    f.yellow_channel = yellow_->currentIndex();
    f.sample_intake_state = text_of(intake_);
    f.sample_measurement_state = text_of(measurement_);
    f.blank_start_offset = text_of(blank_start_);
    f.blank_end_offset = text_of(blank_end_);
    for (std::size_t i = 0; i < decimals_.size(); ++i)
        f.decimals[i] = text_of(decimals_[i]);
    const auto bytes = encode_ph_parameters(ph_from_form(f));
    std::memcpy(record.data(), bytes.data(), bytes.size());
}

void PhChemistryPage::show_record(std::span<const std::uint8_t> record) {
    const auto f = ph_form(decode_ph_parameters(record.first<ph_parameters_size>()));
    version_->setCurrentIndex(f.sensor_version);
    blue_->setCurrentIndex(f.blue_channel);
    yellow_->setCurrentIndex(f.yellow_channel);
    intake_->setText(QString::fromStdString(f.sample_intake_state));
    measurement_->setText(QString::fromStdString(f.sample_measurement_state));
    blank_start_->setText(QString::fromStdString(f.blank_start_offset));
    blank_end_->setText(QString::fromStdString(f.blank_end_offset));
    for (std::size_t i = 0; i < decimals_.size(); ++i)
        decimals_[i]->setText(QString::fromStdString(f.decimals[i]));
}

void PhChemistryPage::default_record(std::span<std::uint8_t> record) {
    const auto bytes = encode_ph_parameters(PhParameters{});
    std::memcpy(record.data(), bytes.data(), bytes.size());
}

std::uint8_t PhChemistryPage::multiplexer_code() const {
    return choice_code(multiplexer_choices, multiplexer_->currentIndex());
}

void PhChemistryPage::show_configuration(const ChemistryConfig& config) {
    interval_->setText(QString::number(config.sample_interval_ms));
    multiplexer_->setCurrentIndex(choice_index(multiplexer_choices, config.multiplexer));
}

void PhChemistryPage::apply_enabling(bool configure) {
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != configure_)
            w->setEnabled(configure);
}

}  // namespace quelmar::config
