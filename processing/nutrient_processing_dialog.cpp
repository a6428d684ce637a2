#include "processing/nutrient_processing_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "processing/nutrient_engine.h"
#include "processing/processing_form.h"
#include "processing/result_plot_widget.h"

namespace quelmar::processing {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

NutrientProcessingDialog::NutrientProcessingDialog(QWidget* parent)
    : RawProcessingDialog(Chemistry::nutrient, parent) {
    auto* group = new QGroupBox(tr("Nutrient Processing Parameters"), parameters_area());
    auto* columns = new QHBoxLayout(group);

    auto* left = new QFormLayout;
    nutrient_type = make_choice_box(nutrient_type_choices(), group);
    sensor_version = make_choice_box(sensor_version_choices(), group);
    left->addRow(tr("Nutrient Type"), nutrient_type);
    left->addRow(tr("Sensor Version"), sensor_version);

    auto* paths = new QGridLayout;
    paths->addWidget(new QLabel(tr("Measure"), group), 0, 1);
    paths->addWidget(new QLabel(tr("Monitor"), group), 0, 2);
    const struct {
        const char* name;
        QComboBox** measure;
        QComboBox** monitor;
    } rows[] = {{"Medium", &medium_measure, &medium_monitor},
                {"Short", &short_measure, &short_monitor},
                {"Long", &long_measure, &long_monitor}};
    int row = 1;
    for (const auto& r : rows) {
        *r.measure = make_choice_box(channel_choices(), group);
        *r.monitor = make_choice_box(monitor_choices(), group);
        paths->addWidget(new QLabel(tr(r.name), group), row, 0);
        paths->addWidget(*r.measure, row, 1);
        paths->addWidget(*r.monitor, row, 2);
        ++row;
    }
    left->addRow(paths);
    output = make_choice_box(output_choices(), group);
    left->addRow(tr("Output"), output);
    columns->addLayout(left);

    auto* middle = new QFormLayout;
    auto edit = [group] { return new QLineEdit(group); };
    sample_intake_state = edit();
    sample_measurement_state = edit();
    blank_measurement_state = edit();
    standard1_measurement_state = edit();
    standard2_measurement_state = edit();
    middle->addRow(tr("Sample Intake State"), sample_intake_state);
    middle->addRow(tr("Sample Measurement State"), sample_measurement_state);
    middle->addRow(tr("Blank Measurement State"), blank_measurement_state);
    middle->addRow(tr("Standard 1 Measurement State"), standard1_measurement_state);
    middle->addRow(tr("Standard 2 Measurement State"), standard2_measurement_state);
    columns->addLayout(middle);

    auto* right = new QFormLayout;
    standard_adjustment = make_choice_box(adjustment_choices(), group);
    standard1_concentration = edit();
    standard2_concentration = edit();
    processing_trigger = make_choice_box(nutrient_trigger_choices(), group);
    optical_correction = new QCheckBox(tr("Enable Optical Correction"), group);
    optical_correction_dilution = edit();
    optical_correction_dilution->setReadOnly(true);
    oc_sample_state = edit();
    oc_blank_state = edit();
    right->addRow(tr("Standard Adjustment"), standard_adjustment);
    right->addRow(QString::fromUtf8("Standard 1 Concentration (µM)"), standard1_concentration);
    right->addRow(QString::fromUtf8("Standard 2 Concentration (µM)"), standard2_concentration);
    right->addRow(tr("Processing Trigger"), processing_trigger);
    right->addRow(optical_correction);
    right->addRow(tr("Optical Correction Dilution"), optical_correction_dilution);
    right->addRow(tr("Optical Correction State (sample)"), oc_sample_state);
    right->addRow(tr("Optical Correction State (blank)"), oc_blank_state);
    columns->addLayout(right);
    parameters_layout()->addWidget(group);

    const auto changed = [this] { parameters_changed(); };
    connect(nutrient_type, &QComboBox::currentIndexChanged, this, changed);
    connect(standard_adjustment, &QComboBox::currentIndexChanged, this, changed);
    connect(processing_trigger, &QComboBox::currentIndexChanged, this, changed);
    connect(output, &QComboBox::currentIndexChanged, this, changed);  // the path graphed
    connect(optical_correction, &QCheckBox::clicked, this, changed);
    optical_correction_dilution->setText(qs(nutrient_dilution_text(0)));
}

std::vector<ResultColumn> NutrientProcessingDialog::result_columns() const {
    return nutrient_columns(settings_.chemistry);
}

HeaderScan NutrientProcessingDialog::scan_header(RawSource& file) {
    const HeaderScan scan = scan_nutrient_header(file, settings_, NutrientReader::single_file);
    // Key lines outside a header are not used: only what the user types.
    if (!scan.header_found)
        settings_ = nutrient_scan_defaults();
    return scan;
}

bool NutrientProcessingDialog::header_chemistry_accepted() const {
    return is_nutrient_type(settings_.chemistry);
}

void NutrientProcessingDialog::show_parameters() {
    showing_ = true;
    const auto& p = settings_.params;
    show_choice(nutrient_type, nutrient_type_choices(), settings_.chemistry);
    show_choice(sensor_version, sensor_version_choices(), p.sensor_version);
    show_channel(medium_measure, channel_choices(), p.medium_measurement_channel);
    show_channel(short_measure, channel_choices(), p.short_measurement_channel);
    show_channel(long_measure, channel_choices(), p.long_measurement_channel);
    show_channel(medium_monitor, monitor_choices(), p.medium_monitoring_channel);
    show_channel(short_monitor, monitor_choices(), p.short_monitoring_channel);
    show_channel(long_monitor, monitor_choices(), p.long_monitoring_channel);
    show_choice(output, output_choices(), p.output_channel);
    auto state = [](QLineEdit* e, std::uint8_t v) { show_field(e, std::to_string(v), v); };
    state(sample_intake_state, p.sample_intake_state);
    state(sample_measurement_state, p.sample_measurement_state);
    state(blank_measurement_state, p.blank_measurement_state);
    state(standard1_measurement_state, p.standard1_measurement_state);
    state(standard2_measurement_state, p.standard2_measurement_state);
    show_choice(standard_adjustment, adjustment_choices(), p.standard_adjustment);
    show_field(standard1_concentration, concentration_text(p.standard1_concentration),
               p.standard1_concentration);
    show_field(standard2_concentration, concentration_text(p.standard2_concentration),
               p.standard2_concentration);
    show_choice(processing_trigger, nutrient_trigger_choices(), p.processing_trigger);
    show_check(optical_correction, p.optical_correction);
    state(oc_sample_state, p.oc_sample_state);
    state(oc_blank_state, p.oc_blank_state);
    showing_ = false;
    parameters_changed();
}

NutrientSettings NutrientProcessingDialog::settings_from_controls() const {
    NutrientSettings s = settings_;
    auto& p = s.params;
    s.chemistry = read_choice(nutrient_type, nutrient_type_choices());
    p.sensor_version = read_choice(sensor_version, sensor_version_choices());
    p.medium_measurement_channel = read_choice(medium_measure, channel_choices());
    p.short_measurement_channel = read_choice(short_measure, channel_choices());
    p.long_measurement_channel = read_choice(long_measure, channel_choices());
    p.medium_monitoring_channel = read_choice(medium_monitor, monitor_choices());
    p.short_monitoring_channel = read_choice(short_monitor, monitor_choices());
    p.long_monitoring_channel = read_choice(long_monitor, monitor_choices());
    p.output_channel = read_choice(output, output_choices());
    p.sample_intake_state = read_state_field(sample_intake_state);
    p.sample_measurement_state = read_state_field(sample_measurement_state);
    p.blank_measurement_state = read_state_field(blank_measurement_state);
    p.standard1_measurement_state = read_state_field(standard1_measurement_state);
    p.standard2_measurement_state = read_state_field(standard2_measurement_state);
    p.standard_adjustment = read_choice(standard_adjustment, adjustment_choices());
    p.standard1_concentration = read_concentration_field(standard1_concentration);
    p.standard2_concentration = read_concentration_field(standard2_concentration);
    p.processing_trigger = read_choice(processing_trigger, nutrient_trigger_choices());
    p.optical_correction = read_check(optical_correction);
    p.oc_sample_state = read_state_field(oc_sample_state);
    p.oc_blank_state = read_state_field(oc_blank_state);
    return s;
}

void NutrientProcessingDialog::parameters_changed() {
    if (showing_)
        return;
    settings_ = settings_from_controls();
    apply_rules();
}

void NutrientProcessingDialog::apply_rules() {
    const NutrientEnabling e = nutrient_enabling(settings_.params);
    standard1_measurement_state->setEnabled(e.standard1_state);
    standard2_measurement_state->setEnabled(e.standard2_state);
    standard1_concentration->setEnabled(e.standard1_concentration);
    standard2_concentration->setEnabled(e.standard2_concentration);
    optical_correction_dilution->setEnabled(e.optical_correction);
    oc_sample_state->setEnabled(e.optical_correction);
    oc_blank_state->setEnabled(e.optical_correction);
    if (is_nutrient_type(settings_.chemistry)) {
        setWindowTitle(qs(nutrient_dialog_title(settings_.chemistry)));
        const auto columns = nutrient_columns(settings_.chemistry);
        for (std::size_t i = 2; i <= 4; ++i)
            table_.set_title(i, columns[i].title);
        refresh_views();
    }
    result_plot()->set_main_column(nutrient_output_column(settings_.params.output_channel));
    optical_correction_dilution->setText(qs(nutrient_dilution_text(settings_.chemistry)));
}

std::string NutrientProcessingDialog::read_parameters() {
    settings_ = settings_from_controls();
    return check_nutrient_settings(settings_);
}

RawProcessingDialog::Pass NutrientProcessingDialog::make_pass() {
    return [settings = settings_](RawSource& file, ResultTable& table, ProcessingLog& log,
                                  const PassControl& control) {
        return run_nutrient_pass(file, settings, table, log, control);
    };
}

}  // namespace quelmar::processing
