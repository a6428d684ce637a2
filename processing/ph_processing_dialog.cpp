#include "processing/ph_processing_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include "processing/ph_engine.h"
#include "processing/processing_form.h"

namespace quelmar::processing {

namespace {
constexpr const char* real_format = "%.5f";
}

PhProcessingDialog::PhProcessingDialog(QWidget* parent)
    : RawProcessingDialog(Chemistry::ph, parent) {
    auto* group = new QGroupBox(tr("pH Processing Parameters"), parameters_area());
    auto* columns = new QHBoxLayout(group);
    auto edit = [group] { return new QLineEdit(group); };

    auto* left = new QFormLayout;
    sample_interval = edit();
    sensor_version = make_choice_box(sensor_version_choices(), group);
    blue_channel = make_choice_box(channel_choices(), group);
    yellow_channel = make_choice_box(channel_choices(), group);
    sample_intake_state = edit();
    sample_measurement_state = edit();
    blank_start_offset = edit();
    blank_end_offset = edit();
    left->addRow(tr("Sample Interval (ms)"), sample_interval);
    left->addRow(tr("Sensor Version"), sensor_version);
    left->addRow(tr("Input Channel (Blue)"), blue_channel);
    left->addRow(tr("Input Channel (Yellow)"), yellow_channel);
    left->addRow(tr("Sample Intake State"), sample_intake_state);
    left->addRow(tr("Sample Measurement State"), sample_measurement_state);
    left->addRow(tr("Blank Start Offset (seconds)"), blank_start_offset);
    left->addRow(tr("Blank End Offset (seconds)"), blank_end_offset);
    columns->addLayout(left);

    auto* right = new QFormLayout;
    absorbance_min_blue = edit();
    absorbance_max_yellow = edit();
    dph_dt = edit();
    r_scale = edit();
    r_offset = edit();
    thermistor1_scale = edit();
    thermistor2_scale = edit();
    right->addRow(tr("Absorbance Min (Blue)"), absorbance_min_blue);
    right->addRow(tr("Absorbance Max (Yellow)"), absorbance_max_yellow);
    right->addRow(tr("dpH/dT"), dph_dt);
    right->addRow(tr("R-adjustment (scale)"), r_scale);
    right->addRow(tr("R-adjustment (offset)"), r_offset);
    right->addRow(tr("Thermistor 1 Adjustment (scale)"), thermistor1_scale);
    right->addRow(tr("Thermistor 2 Adjustment (scale)"), thermistor2_scale);
    columns->addLayout(right);
    parameters_layout()->addWidget(group);
}

std::vector<ResultColumn> PhProcessingDialog::result_columns() const {
    return ph_columns();
}

HeaderScan PhProcessingDialog::scan_header(RawSource& file) {
    const HeaderScan scan = scan_ph_header(file, settings_);
    if (!scan.header_found)
        settings_ = ph_scan_defaults();
    return scan;
}

bool PhProcessingDialog::header_chemistry_accepted() const {
    return chemistry_accepted(Chemistry::ph, settings_.chemistry);
}

void PhProcessingDialog::show_parameters() {
    const auto& p = settings_.params;
    auto number = [](QLineEdit* e, unsigned v) { e->setText(QString::number(v)); };
    auto real = [](QLineEdit* e, float v) { show_field(e, real_text(v, real_format), v); };
    number(sample_interval, settings_.sample_interval_ms);
    show_choice(sensor_version, sensor_version_choices(), p.sensor_version);
    show_channel(blue_channel, channel_choices(), p.blue_channel);
    show_channel(yellow_channel, channel_choices(), p.yellow_channel);
    auto state = [](QLineEdit* e, std::uint8_t v) { show_field(e, std::to_string(v), v); };
    state(sample_intake_state, p.sample_intake_state);
    state(sample_measurement_state, p.sample_measurement_state);
    number(blank_start_offset, p.blank_start_offset);
    number(blank_end_offset, p.blank_end_offset);
    real(absorbance_min_blue, p.absorbance_min_blue);
    real(absorbance_max_yellow, p.absorbance_max_yellow);
    real(dph_dt, p.dph_dt);
    real(r_scale, p.r_scale);
    real(r_offset, p.r_offset);
    real(thermistor1_scale, p.thermistor1_scale);
    real(thermistor2_scale, p.thermistor2_scale);
}

PhSettings PhProcessingDialog::settings_from_controls() const {
    PhSettings s = settings_;  // the thermistor calibrations come from the header only
    auto& p = s.params;
    s.sample_interval_ms = read_unsigned(edit_text(sample_interval));
    p.sensor_version = read_choice(sensor_version, sensor_version_choices());
    p.blue_channel = read_choice(blue_channel, channel_choices());
    p.yellow_channel = read_choice(yellow_channel, channel_choices());
    p.sample_intake_state = read_state_field(sample_intake_state);
    p.sample_measurement_state = read_state_field(sample_measurement_state);
    p.blank_start_offset = read_offset(edit_text(blank_start_offset));
    p.blank_end_offset = read_offset(edit_text(blank_end_offset));
    p.absorbance_min_blue = read_real_field(absorbance_min_blue);
    p.absorbance_max_yellow = read_real_field(absorbance_max_yellow);
    p.dph_dt = read_real_field(dph_dt);
    p.r_scale = read_real_field(r_scale);
    p.r_offset = read_real_field(r_offset);
    p.thermistor1_scale = read_real_field(thermistor1_scale);
    p.thermistor2_scale = read_real_field(thermistor2_scale);
    return s;
}

std::string PhProcessingDialog::read_parameters() {
    settings_ = settings_from_controls();
    return check_ph_settings(settings_);
}

RawProcessingDialog::Pass PhProcessingDialog::make_pass() {
    return [settings = settings_](RawSource& file, ResultTable& table, ProcessingLog& log,
                                  const PassControl& control) {
        return run_ph_pass(file, settings, table, log, control);
    };
}

}  // namespace quelmar::processing
