#pragma once
// "Process Raw Nutrient Data": one nitrate, phosphate, silicate, nitrite or iron raw output
// file with the parameters of its header (or typed in), all three optical paths per cycle.

#include "processing/header_scan.h"
#include "processing/raw_processing_dialog.h"

class QCheckBox;

namespace quelmar::processing {

class NutrientProcessingDialog : public RawProcessingDialog {
    Q_OBJECT
  public:
    explicit NutrientProcessingDialog(QWidget* parent = nullptr);

    // The parameters as the controls hold them.
    NutrientSettings settings_from_controls() const;

    QComboBox* nutrient_type = nullptr;
    QComboBox* sensor_version = nullptr;
    QComboBox* medium_measure = nullptr;
    QComboBox* short_measure = nullptr;
    QComboBox* long_measure = nullptr;
    QComboBox* medium_monitor = nullptr;
    QComboBox* short_monitor = nullptr;
    QComboBox* long_monitor = nullptr;
    QComboBox* output = nullptr;
    QLineEdit* sample_intake_state = nullptr;
    QLineEdit* sample_measurement_state = nullptr;
    QLineEdit* blank_measurement_state = nullptr;
    QLineEdit* standard1_measurement_state = nullptr;
    QLineEdit* standard2_measurement_state = nullptr;
    QComboBox* standard_adjustment = nullptr;
    QLineEdit* standard1_concentration = nullptr;
    QLineEdit* standard2_concentration = nullptr;
    QComboBox* processing_trigger = nullptr;
    QCheckBox* optical_correction = nullptr;
    QLineEdit* optical_correction_dilution = nullptr;
    QLineEdit* oc_sample_state = nullptr;
    QLineEdit* oc_blank_state = nullptr;

  protected:
    HeaderScan scan_header(RawSource& file) override;
    bool header_chemistry_accepted() const override;
    void show_parameters() override;
    std::string read_parameters() override;
    Pass make_pass() override;
    std::vector<ResultColumn> result_columns() const override;

  private:
    // After a change of type, adjustment or trigger and a click of optical correction.
    void parameters_changed();
    void apply_rules();

    NutrientSettings settings_;
    bool showing_ = false;
};

}  // namespace quelmar::processing
