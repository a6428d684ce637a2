#pragma once
// "Process Raw TA Data": one total-alkalinity raw output file, blank and sample under two
// LEDs per cycle.

#include "processing/header_scan.h"
#include "processing/raw_processing_dialog.h"

namespace quelmar::processing {

class TaProcessingDialog : public RawProcessingDialog {
    Q_OBJECT
  public:
    explicit TaProcessingDialog(QWidget* parent = nullptr);
    TaSettings settings_from_controls() const;

    QComboBox* sensor_version = nullptr;
    QComboBox* measurement_channel = nullptr;
    QComboBox* monitoring_channel_led1 = nullptr;
    QComboBox* monitoring_channel_led2 = nullptr;
    QLineEdit* sample_intake_state = nullptr;
    QLineEdit* blank_state_led1 = nullptr;
    QLineEdit* blank_state_led2 = nullptr;
    QLineEdit* sample_state_led1 = nullptr;
    QLineEdit* sample_state_led2 = nullptr;
    QComboBox* processing_trigger = nullptr;
    QLineEdit* ct = nullptr;
    QLineEdit* acid_molarity = nullptr;
    QLineEdit* pka = nullptr;
    QLineEdit* e1 = nullptr;
    QLineEdit* e2 = nullptr;
    QLineEdit* e3 = nullptr;

  protected:
    HeaderScan scan_header(RawSource& file) override;
    bool header_chemistry_accepted() const override;
    void show_parameters() override;
    std::string read_parameters() override;
    Pass make_pass() override;
    std::vector<ResultColumn> result_columns() const override;

  private:
    void trigger_changed();
    TaSettings settings_;
    bool showing_ = false;
};

}  // namespace quelmar::processing
