#pragma once
// "Process Raw pH Data": one pH raw output file, a blank window early in each measurement
// state and a regression on the dye peak per cycle.

#include "processing/header_scan.h"
#include "processing/raw_processing_dialog.h"

namespace quelmar::processing {

class PhProcessingDialog : public RawProcessingDialog {
    Q_OBJECT
  public:
    explicit PhProcessingDialog(QWidget* parent = nullptr);
    PhSettings settings_from_controls() const;

    QLineEdit* sample_interval = nullptr;
    QComboBox* sensor_version = nullptr;
    QComboBox* blue_channel = nullptr;
    QComboBox* yellow_channel = nullptr;
    QLineEdit* sample_intake_state = nullptr;
    QLineEdit* sample_measurement_state = nullptr;
    QLineEdit* blank_start_offset = nullptr;
    QLineEdit* blank_end_offset = nullptr;
    QLineEdit* absorbance_min_blue = nullptr;
    QLineEdit* absorbance_max_yellow = nullptr;
    QLineEdit* dph_dt = nullptr;
    QLineEdit* r_scale = nullptr;
    QLineEdit* r_offset = nullptr;
    QLineEdit* thermistor1_scale = nullptr;
    QLineEdit* thermistor2_scale = nullptr;

  protected:
    HeaderScan scan_header(RawSource& file) override;
    bool header_chemistry_accepted() const override;
    void show_parameters() override;
    std::string read_parameters() override;
    Pass make_pass() override;
    std::vector<ResultColumn> result_columns() const override;

  private:
    PhSettings settings_;
};

}  // namespace quelmar::processing
