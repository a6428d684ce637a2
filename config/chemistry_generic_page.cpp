#include "config/chemistry_generic_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cstring>

namespace quelmar::config {

GenericChemistryPage::GenericChemistryPage(const ChemistryPage& page, QWidget* parent)
    : ChemistryPageWidget(page, parent),
      interval_(make_number_edit(this)),
      intake_(make_number_edit(this)),
      measurement_(make_number_edit(this)) {
    auto* top = new QVBoxLayout(this);
    top->addWidget(configure_);
    auto* form = new QGridLayout;
    form->addWidget(new QLabel("Sample Interval (ms)", this), 0, 0);
    form->addWidget(interval_, 0, 1);
    form->addWidget(new QLabel("Sample Intake State", this), 1, 0);
    form->addWidget(intake_, 1, 1);
    form->addWidget(new QLabel("Sample Measurement State", this), 2, 0);
    form->addWidget(measurement_, 2, 1);
    top->addLayout(form);

    auto* channels = new QGridLayout;
    channels->addWidget(new QLabel("Scale", this), 0, 1);
    channels->addWidget(new QLabel("Offset", this), 0, 2);
    for (std::size_t i = 0; i < 8; ++i) {
        const int row = static_cast<int>(i) + 1;
        channels->addWidget(new QLabel(QString("Ch %1").arg(i), this), row, 0);
        scales_[i] = make_number_edit(this);
        offsets_[i] = make_number_edit(this);
        channels->addWidget(scales_[i], row, 1);
        channels->addWidget(offsets_[i], row, 2);
    }
    top->addLayout(channels);
    top->addStretch();
}

void GenericChemistryPage::read_record(std::span<std::uint8_t> record) {
    GenericForm f;
    f.sample_intake_state = text_of(intake_);
    f.sample_measurement_state = text_of(measurement_);
    for (std::size_t i = 0; i < 8; ++i) {
        f.scales[i] = text_of(scales_[i]);
        f.offsets[i] = text_of(offsets_[i]);
    }
    const auto bytes = encode_generic_parameters(generic_from_form(f));
    std::memcpy(record.data(), bytes.data(), bytes.size());
}

void GenericChemistryPage::show_record(std::span<const std::uint8_t> record) {
    const auto f = generic_form(decode_generic_parameters(record.first<generic_parameters_size>()));
    intake_->setText(QString::fromStdString(f.sample_intake_state));
    measurement_->setText(QString::fromStdString(f.sample_measurement_state));
    for (std::size_t i = 0; i < 8; ++i) {
        scales_[i]->setText(QString::fromStdString(f.scales[i]));
        offsets_[i]->setText(QString::fromStdString(f.offsets[i]));
    }
}

void GenericChemistryPage::default_record(std::span<std::uint8_t> record) {
    const auto bytes = encode_generic_parameters(GenericParameters{});
    std::memcpy(record.data(), bytes.data(), bytes.size());
}

void GenericChemistryPage::show_configuration(const ChemistryConfig& config) {
    interval_->setText(QString::number(config.sample_interval_ms));
}

void GenericChemistryPage::apply_enabling(bool configure) {
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != configure_)
            w->setEnabled(configure);
}

}  // namespace quelmar::config
