#pragma once
// The pH page: sample interval and multiplexer, the two input channels, the states, the blank
// window and the seven decimal constants of the on-board pH processing.

#include <array>

#include "config/chemistry_page.h"

namespace quelmar::config {

class PhChemistryPage : public ChemistryPageWidget {
    Q_OBJECT
  public:
    PhChemistryPage(const ChemistryPage& page, QWidget* parent);

    QLineEdit* interval_edit() const { return interval_; }
    QComboBox* multiplexer_list() const { return multiplexer_; }
    QLineEdit* blank_start_edit() const { return blank_start_; }
    QLineEdit* decimal_edit(std::size_t i) const { return decimals_[i]; }

  protected:
    void read_record(std::span<std::uint8_t> record) override;
    void show_record(std::span<const std::uint8_t> record) override;
    void default_record(std::span<std::uint8_t> record) override;
    QString interval_text() const override { return interval_->text(); }
    std::uint8_t multiplexer_code() const override;
    void show_configuration(const ChemistryConfig& config) override;
    void apply_enabling(bool configure) override;

  private:
    QLineEdit* interval_;
    QComboBox* multiplexer_;
    QComboBox* version_;
    QComboBox* blue_;
    QComboBox* yellow_;
    QLineEdit* intake_;
    QLineEdit* measurement_;
    QLineEdit* blank_start_;
    QLineEdit* blank_end_;
    std::array<QLineEdit*, 7> decimals_{};
};

}  // namespace quelmar::config
