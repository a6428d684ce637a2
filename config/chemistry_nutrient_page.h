#pragma once
// The nutrient page, one layout for nitrate, nitrite, phosphate, silicate and iron: the
// measurement and monitoring channel of each optical path, the output path, the states of the
// sample, blank and standards, the standards' concentrations and how they are used, and the
// optical correction.

#include <array>

#include "config/chemistry_page.h"

namespace quelmar::config {

class NutrientChemistryPage : public ChemistryPageWidget {
    Q_OBJECT
  public:
    NutrientChemistryPage(const ChemistryPage& page, QWidget* parent);

    QComboBox* output_list() const { return output_; }
    QComboBox* monitor_list(std::size_t path) const { return monitor_[path]; }
    QComboBox* adjustment_list() const { return adjustment_; }
    QComboBox* trigger_list() const { return trigger_; }
    QCheckBox* optical_correction_box() const { return optical_; }
    QLineEdit* standard_state_edit(std::size_t i) const { return standard_state_[i]; }
    QLineEdit* concentration_edit(std::size_t i) const { return concentration_[i]; }
    QLineEdit* oc_sample_edit() const { return oc_sample_; }
    QLineEdit* dilution_edit() const { return dilution_; }

  protected:
    void read_record(std::span<std::uint8_t> record) override;
    void show_record(std::span<const std::uint8_t> record) override;
    void default_record(std::span<std::uint8_t> record) override;
    void apply_enabling(bool configure) override;

  private:
    void rule_input_changed();

    QComboBox* version_;
    std::array<QComboBox*, 3> measure_{};  // Long, Medium, Short
    std::array<QComboBox*, 3> monitor_{};
    QComboBox* output_;
    QLineEdit* intake_;
    QLineEdit* measurement_;
    QLineEdit* blank_;
    std::array<QLineEdit*, 2> standard_state_{};
    std::array<QLineEdit*, 2> concentration_{};
    QComboBox* adjustment_;
    QComboBox* trigger_;
    QCheckBox* optical_;
    QLineEdit* oc_sample_;
    QLineEdit* oc_blank_;
    QLineEdit* dilution_;
    bool showing_ = false;
};

}  // namespace quelmar::config
