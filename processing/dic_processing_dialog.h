#pragma once
// "Process Raw DIC Data": one dissolved-inorganic-carbon raw output file with up to three
// inlets, each unused, a sample or a certified reference (CRM).

#include <array>

#include "processing/header_scan.h"
#include "processing/raw_processing_dialog.h"

namespace quelmar::processing {

class DicProcessingDialog : public RawProcessingDialog {
    Q_OBJECT
  public:
    explicit DicProcessingDialog(QWidget* parent = nullptr);
    DicSettings settings_from_controls() const;

    struct InletControls {
        QComboBox* type = nullptr;
        QLineEdit* intake_state = nullptr;
        QLineEdit* measurement_state = nullptr;
        QLineEdit* crm_value = nullptr;
    };
    QComboBox* sensor_version = nullptr;
    std::array<InletControls, 3> inlets;

  protected:
    HeaderScan scan_header(RawSource& file) override;
    bool header_chemistry_accepted() const override;
    void show_parameters() override;
    std::string read_parameters() override;
    Pass make_pass() override;
    std::vector<ResultColumn> result_columns() const override;

  private:
    void apply_inlet_rules(std::size_t inlet);
    DicSettings settings_;
};

}  // namespace quelmar::processing
