#include "processing/dic_processing_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include "processing/dic_engine.h"
#include "processing/processing_form.h"

namespace quelmar::processing {

DicProcessingDialog::DicProcessingDialog(QWidget* parent)
    : RawProcessingDialog(Chemistry::dic, parent) {
    auto* row = new QHBoxLayout;
    auto* common_group = new QGroupBox(tr("Common Processing Parameters"), parameters_area());
    auto* common_form = new QFormLayout(common_group);
    sensor_version = make_choice_box(sensor_version_choices(), common_group);
    common_form->addRow(tr("Sensor Version"), sensor_version);
    row->addWidget(common_group);
    for (std::size_t i = 0; i < inlets.size(); ++i) {
        auto* group =
            new QGroupBox(tr("Inlet %1 Processing Parameters").arg(i + 1), parameters_area());
        auto* form = new QFormLayout(group);
        InletControls& c = inlets[i];
        c.type = make_choice_box(inlet_type_choices(), group);
        c.intake_state = new QLineEdit(group);
        c.measurement_state = new QLineEdit(group);
        c.crm_value = new QLineEdit(group);
        form->addRow(tr("Inlet Type"), c.type);
        form->addRow(tr("Intake State"), c.intake_state);
        form->addRow(tr("Measurement State"), c.measurement_state);
        form->addRow(QString::fromUtf8("CRM Value (µmol/kg)"), c.crm_value);
        row->addWidget(group);
        connect(c.type, &QComboBox::currentIndexChanged, this, [this, i] { apply_inlet_rules(i); });
    }
    parameters_layout()->addLayout(row);
}

std::vector<ResultColumn> DicProcessingDialog::result_columns() const {
    return dic_columns();
}

HeaderScan DicProcessingDialog::scan_header(RawSource& file) {
    const HeaderScan scan = scan_dic_header(file, settings_);
    if (!scan.header_found)
        settings_ = dic_scan_defaults();
    return scan;
}

bool DicProcessingDialog::header_chemistry_accepted() const {
    return chemistry_accepted(Chemistry::dic, settings_.chemistry);
}

void DicProcessingDialog::show_parameters() {
    const auto& p = settings_.params;
    show_choice(sensor_version, sensor_version_choices(), p.sensor_version);
    for (std::size_t i = 0; i < inlets.size(); ++i) {
        const auto& in = p.inlets[i];
        InletControls& c = inlets[i];
        show_choice(c.type, inlet_type_choices(), in.type);
        show_field(c.intake_state, std::to_string(in.intake_state), in.intake_state);
        show_field(c.measurement_state, std::to_string(in.measurement_state),
                   in.measurement_state);
        show_field(c.crm_value, crm_value_text(in.crm_value), in.crm_value);
        apply_inlet_rules(i);
    }
}

void DicProcessingDialog::apply_inlet_rules(std::size_t inlet) {
    InletControls& c = inlets[inlet];
    const DicInletEnabling e = dic_inlet_enabling(read_choice(c.type, inlet_type_choices()));
    c.intake_state->setEnabled(e.intake_state);
    c.measurement_state->setEnabled(e.measurement_state);
    c.crm_value->setEnabled(e.crm_value);
}

DicSettings DicProcessingDialog::settings_from_controls() const {
    DicSettings s = settings_;  // the thermistor calibration comes from the header only
    auto& p = s.params;
    p.sensor_version = read_choice(sensor_version, sensor_version_choices());
    for (std::size_t i = 0; i < inlets.size(); ++i) {
        const InletControls& c = inlets[i];
        auto& in = p.inlets[i];
        in.type = read_choice(c.type, inlet_type_choices());
        in.intake_state = read_state_field(c.intake_state);
        in.measurement_state = read_state_field(c.measurement_state);
        in.crm_value = read_real_field(c.crm_value);
    }
    return s;
}

std::string DicProcessingDialog::read_parameters() {
    settings_ = settings_from_controls();
    return check_dic_settings(settings_);
}

RawProcessingDialog::Pass DicProcessingDialog::make_pass() {
    return [settings = settings_](RawSource& file, ResultTable& table, ProcessingLog& log,
                                  const PassControl& control) {
        return run_dic_pass(file, settings, table, log, control);
    };
}

}  // namespace quelmar::processing
