#pragma once
// The Generic page: sample interval, the two states and a scale and offset per channel.

#include <array>

#include "config/chemistry_page.h"

namespace quelmar::config {

class GenericChemistryPage : public ChemistryPageWidget {
    Q_OBJECT
  public:
    GenericChemistryPage(const ChemistryPage& page, QWidget* parent);

    QLineEdit* interval_edit() const { return interval_; }
    QLineEdit* intake_edit() const { return intake_; }
    QLineEdit* measurement_edit() const { return measurement_; }
    QLineEdit* scale_edit(std::size_t channel) const { return scales_[channel]; }
    QLineEdit* offset_edit(std::size_t channel) const { return offsets_[channel]; }

  protected:
    void read_record(std::span<std::uint8_t> record) override;
    void show_record(std::span<const std::uint8_t> record) override;
    void default_record(std::span<std::uint8_t> record) override;
    QString interval_text() const override { return interval_->text(); }
    void show_configuration(const ChemistryConfig& config) override;
    void apply_enabling(bool configure) override;

  private:
    QLineEdit* interval_;
    QLineEdit* intake_;
    QLineEdit* measurement_;
    std::array<QLineEdit*, 8> scales_{};
    std::array<QLineEdit*, 8> offsets_{};
};

}  // namespace quelmar::config
