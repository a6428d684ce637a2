#include "processing/ta_processing_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>

#include "processing/processing_form.h"
#include "processing/ta_engine.h"

namespace quelmar::processing {

namespace {
constexpr const char* real_format = "%g";
}

TaProcessingDialog::TaProcessingDialog(QWidget* parent)
    : RawProcessingDialog(Chemistry::ta, parent) {
    auto* group = new QGroupBox(tr("TA Processing Parameters"), parameters_area());
    auto* columns = new QHBoxLayout(group);
    auto edit = [group] { return new QLineEdit(group); };

    auto* left = new QFormLayout;
    sensor_version = make_choice_box(sensor_version_choices(), group);
    measurement_channel = make_choice_box(channel_choices(), group);
    monitoring_channel_led1 = make_choice_box(channel_choices(), group);
    monitoring_channel_led2 = make_choice_box(channel_choices(), group);
    processing_trigger = make_choice_box(ta_trigger_choices(), group);
    left->addRow(tr("Sensor Version"), sensor_version);
    left->addRow(tr("Measurement Channel"), measurement_channel);
    left->addRow(tr("Monitoring Channel (LED1)"), monitoring_channel_led1);
    left->addRow(tr("Monitoring Channel (LED2)"), monitoring_channel_led2);
    left->addRow(tr("Processing Trigger"), processing_trigger);
    columns->addLayout(left);

    auto* middle = new QFormLayout;
    sample_intake_state = edit();
    blank_state_led1 = edit();
    blank_state_led2 = edit();
    sample_state_led1 = edit();
    sample_state_led2 = edit();
    middle->addRow(tr("Sample Intake State"), sample_intake_state);
    middle->addRow(tr("Blank Meas State (LED1)"), blank_state_led1);
    middle->addRow(tr("Blank Meas State (LED2)"), blank_state_led2);
    middle->addRow(tr("Sample Meas State (LED1)"), sample_state_led1);
    middle->addRow(tr("Sample Meas State (LED2)"), sample_state_led2);
    columns->addLayout(middle);

    auto* right = new QFormLayout;
    ct = edit();
    acid_molarity = edit();
    pka = edit();
    e1 = edit();
    e2 = edit();
    e3 = edit();
    right->addRow(tr("Temperature Coefficient (Ct)"), ct);
    right->addRow(tr("Titrant Acid Molarity (M)"), acid_molarity);
    right->addRow(tr("pKa"), pka);
    right->addRow(tr("e1"), e1);
    right->addRow(tr("e2"), e2);
    right->addRow(tr("e3"), e3);
    columns->addLayout(right);
    parameters_layout()->addWidget(group);

    // The monitoring channels are carried with the parameters; nothing here uses them.
    monitoring_channel_led1->setEnabled(false);
    monitoring_channel_led2->setEnabled(false);
    connect(processing_trigger, &QComboBox::currentIndexChanged, this,
            [this] { trigger_changed(); });
}

std::vector<ResultColumn> TaProcessingDialog::result_columns() const {
    return ta_columns();
}

HeaderScan TaProcessingDialog::scan_header(RawSource& file) {
    const HeaderScan scan = scan_ta_header(file, settings_);
    if (!scan.header_found)
        settings_ = ta_scan_defaults();
    return scan;
}

bool TaProcessingDialog::header_chemistry_accepted() const {
    return chemistry_accepted(Chemistry::ta, settings_.chemistry);
}

void TaProcessingDialog::show_parameters() {
    showing_ = true;
    const auto& p = settings_.params;
    auto real = [](QLineEdit* e, float v) { show_field(e, real_text(v, real_format), v); };
    auto state = [](QLineEdit* e, std::uint8_t v) { show_field(e, std::to_string(v), v); };
    show_choice(sensor_version, sensor_version_choices(), p.sensor_version);
    show_channel(measurement_channel, channel_choices(), p.measurement_channel);
    show_channel(monitoring_channel_led1, channel_choices(), p.monitoring_channel_led1);
    show_channel(monitoring_channel_led2, channel_choices(), p.monitoring_channel_led2);
    state(sample_intake_state, p.sample_intake_state);
    state(blank_state_led1, p.blank_state_led1);
    state(blank_state_led2, p.blank_state_led2);
    state(sample_state_led1, p.sample_state_led1);
    state(sample_state_led2, p.sample_state_led2);
    show_choice(processing_trigger, ta_trigger_choices(), p.processing_trigger);
    real(ct, p.ct);
    real(acid_molarity, p.acid_molarity);
    real(pka, p.pka);
    real(e1, p.e1);
    real(e2, p.e2);
    real(e3, p.e3);
    monitoring_channel_led1->setEnabled(false);
    monitoring_channel_led2->setEnabled(false);
    showing_ = false;
}

TaSettings TaProcessingDialog::settings_from_controls() const {
    TaSettings s = settings_;
    s.params = config::TaParameters{};
    s.params.format = settings_.params.format;
    auto& p = s.params;
    p.sensor_version = read_choice(sensor_version, sensor_version_choices());
    p.measurement_channel = read_choice(measurement_channel, channel_choices());
    p.monitoring_channel_led1 = read_choice(monitoring_channel_led1, channel_choices());
    p.monitoring_channel_led2 = read_choice(monitoring_channel_led2, channel_choices());
    p.sample_intake_state = read_state_field(sample_intake_state);
    p.blank_state_led1 = read_state_field(blank_state_led1);
    p.blank_state_led2 = read_state_field(blank_state_led2);
    p.sample_state_led1 = read_state_field(sample_state_led1);
    p.sample_state_led2 = read_state_field(sample_state_led2);
    p.processing_trigger = read_choice(processing_trigger, ta_trigger_choices());
    p.ct = read_real_field(ct);
    p.acid_molarity = read_real_field(acid_molarity);
    p.pka = read_real_field(pka);
    p.e1 = read_real_field(e1);
    p.e2 = read_real_field(e2);
    p.e3 = read_real_field(e3);
    return s;
}

void TaProcessingDialog::trigger_changed() {
    if (showing_)
        return;
    settings_ = settings_from_controls();
    monitoring_channel_led1->setEnabled(false);
    monitoring_channel_led2->setEnabled(false);
}

std::string TaProcessingDialog::read_parameters() {
    settings_ = settings_from_controls();
    return check_ta_settings(settings_);
}

RawProcessingDialog::Pass TaProcessingDialog::make_pass() {
    return [settings = settings_](RawSource& file, ResultTable& table, ProcessingLog& log,
                                  const PassControl& control) {
        return run_ta_pass(file, settings, table, log, control);
    };
}

}  // namespace quelmar::processing
