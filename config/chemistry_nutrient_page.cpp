#include "config/chemistry_nutrient_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cstring>

namespace quelmar::config {

NutrientChemistryPage::NutrientChemistryPage(const ChemistryPage& page, QWidget* parent)
    : ChemistryPageWidget(page, parent),
      version_(make_choice_list(sensor_version_choices, this)),
      output_(make_choice_list(output_choices, this)),
      intake_(make_number_edit(this)),
      measurement_(make_number_edit(this)),
      blank_(make_number_edit(this)),
      adjustment_(make_choice_list(adjustment_choices, this)),
      trigger_(make_choice_list(trigger_choices, this)),
      optical_(new QCheckBox("Enable Optical Correction", this)),
      oc_sample_(make_number_edit(this)),
      oc_blank_(make_number_edit(this)),
      dilution_(new QLineEdit(this)) {
    for (std::size_t i = 0; i < 2; ++i) {
        standard_state_[i] = make_number_edit(this);
        concentration_[i] = make_number_edit(this);
    }
    dilution_->setReadOnly(true);
    dilution_->setText(QString::fromStdString(dilution_text(page.chemistry)));

    auto* top = new QVBoxLayout(this);
    top->addWidget(configure_);
    auto* grid = new QGridLayout;
    int row = 0;
    auto add = [&](const char* label, QWidget* w) {
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(w, row, 1, 1, 2);
        ++row;
    };
    add("Sensor Version", version_);
    grid->addWidget(new QLabel("Measure", this), row, 1);
    grid->addWidget(new QLabel("Monitor", this), row, 2);
    ++row;
    const char* paths[3] = {"Long", "Medium", "Short"};
    for (std::size_t i = 0; i < 3; ++i) {
        measure_[i] = make_choice_list(channel_choices, this);
        monitor_[i] = make_choice_list(monitor_choices, this);
        grid->addWidget(new QLabel(paths[i], this), row, 0);
        grid->addWidget(measure_[i], row, 1);
        grid->addWidget(monitor_[i], row, 2);
        ++row;
    }
    add("Output", output_);
    add("Sample Intake State", intake_);
    add("Sample Measurement State", measurement_);
    add("Blank Measurement State", blank_);
    add("Standard 1 Measurement State", standard_state_[0]);
    add("Standard 2 Measurement State", standard_state_[1]);
    add("Standard 1 Concentration (\u00b5M)", concentration_[0]);
    add("Standard 2 Concentration (\u00b5M)", concentration_[1]);
    add("Standard Adjustment", adjustment_);
    add("Processing Trigger", trigger_);
    grid->addWidget(optical_, row++, 0, 1, 3);
    add("Optical Correction State (sample)", oc_sample_);
    add("Optical Correction State (blank)", oc_blank_);
    add("Optical Correction Dilution", dilution_);
    top->addLayout(grid);
    top->addStretch();

    auto changed = [this] { rule_input_changed(); };
    connect(adjustment_, &QComboBox::currentIndexChanged, this, changed);
    connect(trigger_, &QComboBox::currentIndexChanged, this, changed);
    connect(optical_, &QCheckBox::clicked, this, [this] { reapply_enabling(); });
}

// The standards' fields follow the adjustment and trigger as last stored: a change of either
// list stores the page's parameters before the rules are applied again.
void NutrientChemistryPage::rule_input_changed() {
    if (showing_)
        return;
    std::fill(record_.begin(), record_.end(), 0);
    read_record(record());
    reapply_enabling();
}

void NutrientChemistryPage::read_record(std::span<std::uint8_t> record) {
    NutrientForm f;
    f.sensor_version = version_->currentIndex();
    for (std::size_t i = 0; i < 3; ++i) {
        f.measure[i] = measure_[i]->currentIndex();
        f.monitor[i] = monitor_[i]->currentIndex();
    }
    f.output = output_->currentIndex();
    f.sample_intake_state = text_of(intake_);
    f.sample_measurement_state = text_of(measurement_);
    f.blank_measurement_state = text_of(blank_);
    f.standard1_measurement_state = text_of(standard_state_[0]);
    f.standard2_measurement_state = text_of(standard_state_[1]);
    f.standard1_concentration = text_of(concentration_[0]);
    f.standard2_concentration = text_of(concentration_[1]);
    f.adjustment = adjustment_->currentIndex();
    f.trigger = trigger_->currentIndex();
    f.optical_correction = optical_->isChecked();
    f.oc_sample_state = text_of(oc_sample_);
    f.oc_blank_state = text_of(oc_blank_);
    const auto bytes = encode_nutrient_parameters(nutrient_from_form(f));
    std::memcpy(record.data(), bytes.data(), bytes.size());
}

void NutrientChemistryPage::show_record(std::span<const std::uint8_t> record) {
    const auto f =
        nutrient_form(decode_nutrient_parameters(record.first<nutrient_parameters_size>()));
    showing_ = true;
    version_->setCurrentIndex(f.sensor_version);
    for (std::size_t i = 0; i < 3; ++i) {
        measure_[i]->setCurrentIndex(f.measure[i]);
        monitor_[i]->setCurrentIndex(f.monitor[i]);
    }
    output_->setCurrentIndex(f.output);
    intake_->setText(QString::fromStdString(f.sample_intake_state));
    measurement_->setText(QString::fromStdString(f.sample_measurement_state));
    blank_->setText(QString::fromStdString(f.blank_measurement_state));
    standard_state_[0]->setText(QString::fromStdString(f.standard1_measurement_state));
    standard_state_[1]->setText(QString::fromStdString(f.standard2_measurement_state));
    concentration_[0]->setText(QString::fromStdString(f.standard1_concentration));
    concentration_[1]->setText(QString::fromStdString(f.standard2_concentration));
    adjustment_->setCurrentIndex(f.adjustment);
    trigger_->setCurrentIndex(f.trigger);
    optical_->setChecked(f.optical_correction);
    oc_sample_->setText(QString::fromStdString(f.oc_sample_state));
    oc_blank_->setText(QString::fromStdString(f.oc_blank_state));
    showing_ = false;
}

void NutrientChemistryPage::default_record(std::span<std::uint8_t> record) {
    const auto bytes = encode_nutrient_parameters(NutrientParameters{});
    std::memcpy(record.data(), bytes.data(), bytes.size());
}

void NutrientChemistryPage::apply_enabling(bool configure) {
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != configure_)
            w->setEnabled(configure);
    // The rules read the adjustment and trigger the page last stored or showed.
    const auto p = decode_nutrient_parameters(record().first<nutrient_parameters_size>());
    const auto e = nutrient_enabling(configure, p.standard_adjustment, p.processing_trigger,
                                     optical_->isChecked());
    standard_state_[0]->setEnabled(e.standard1_state);
    standard_state_[1]->setEnabled(e.standard2_state);
    concentration_[0]->setEnabled(e.standard1_concentration);
    concentration_[1]->setEnabled(e.standard2_concentration);
    dilution_->setEnabled(e.optical_correction);
    oc_sample_->setEnabled(e.optical_correction);
    oc_blank_->setEnabled(e.optical_correction);
}

}  // namespace quelmar::config
