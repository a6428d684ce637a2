#include "config/optics_defaults_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMetaObject>
#include <QVBoxLayout>

#include "config/settings_dialog.h"
#include "ui/prompts.h"

namespace quelmar::config {

namespace status = protocol::status;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QLineEdit* box) {
    return box->text().toStdString();
}

void set_text(QLineEdit* box, const std::string& text) {
    const QString t = q(text);
    if (box->text() != t)
        box->setText(t);
}

void set_index(QComboBox* list, int index) {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(index);
}

template <std::size_t N>
void fill(QComboBox* list, const std::array<const char*, N>& items) {
    for (const char* item : items)
        list->addItem(item);
}

}  // namespace

OpticsDefaultsDialog::OpticsDefaultsDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), link_(link) {
    setWindowTitle("Configure Optics, Valves & Pump Defaults");
    build();
    // Records and flags start cleared for every opening.
    settings_ = OpticsSettings{};
    loaded_ = load_optics_settings(link_, settings_) == status::ok;
    if (!loaded_)
        return;
    OpticsForm form = read_form();
    show_records(settings_, form);
    write_form(form);
    apply_enabling();
}

OpticsDefaultsDialog::~OpticsDefaultsDialog() {
    // The worker posts to this dialog; it must be gone before the dialog is.
    worker_.stop();
}

void OpticsDefaultsDialog::build() {
    auto* defaults = new QGroupBox("Optics, Valves && Pump Defaults", this);
    auto* grid = new QGridLayout(defaults);
    int row = 0;
    auto add_box = [&](const QString& label, QWidget* field, const char* tip) {
        auto* l = new QLabel(label, defaults);
        grid->addWidget(l, row, 0);
        grid->addWidget(field, row, 1);
        if (tip)
            field->setToolTip(tip);
        ++row;
        return l;
    };
    auto line = [&](int max_length) {
        auto* e = new QLineEdit(defaults);
        e->setMaxLength(max_length);
        return e;
    };
    auto add_check = [&](QCheckBox* box, const char* tip) {
        box->setToolTip(tip);
        grid->addWidget(box, row++, 0, 1, 2);
        return box;
    };
    constexpr int decimal = int(decimal_field_length);
    constexpr int integer = 10;

    for (std::size_t i = 0; i < led_count; ++i) {
        leds_[i] = line(decimal);
        add_box(QString("Optics LED %1 (mA)").arg(i), leds_[i], "LED current (0mA-48mA)");
    }
    photodiode_power_ = add_check(new QCheckBox("Enable Photodiodes 5V Power", defaults),
                                  "A5V power supply to photodiodes");
    pmt_instrument_ = new QComboBox(defaults);
    fill(pmt_instrument_, pmt_instrument_items);
    pmt_instrument_label_ =
        add_box("PMT Instrument", pmt_instrument_, "Photomultiplier Tube (PMT)");
    pmt_control_ = line(decimal);
    pmt_control_label_ = add_box("PMT Control (V)", pmt_control_, nullptr);
    dic_frequency_ = line(integer);
    dic_labels_[0] = add_box("DIC Frequency (kHz)", dic_frequency_,
                             "Frequency (KHz) for conductivity sensing (DIC only)");
    dic_excitation_ = line(integer);
    dic_labels_[1] = add_box("DIC Excitation (%)", dic_excitation_,
                             "Excitation (%) for conductivity sensing (DIC only)");
    dic_offset_ = line(decimal);
    dic_labels_[2] =
        add_box("DIC Offset (V)", dic_offset_, "Offset (V) for conductivity sensing (DIC only)");
    dic_rxgain_ = add_check(new QCheckBox("DIC Enable RXGAIN", defaults),
                            "RXGAIN for conductivity sensing (DIC only)");
    pump_current_ = line(integer);
    add_box("Pump Current (mA)", pump_current_, "Motor winding current limit (10ma-1600mA)");
    step_period_ = line(integer);
    add_box("Pump Step Period  (µS)", step_period_, "Motor step period (2us-131071us)");
    microstepping_ = new QComboBox(defaults);
    fill(microstepping_, microstep_items);
    add_box("Pump Microstepping", microstepping_, "Motor micro-stepping level");
    direction_ = new QComboBox(defaults);
    fill(direction_, direction_items);
    add_box("Pump Direction", direction_, "Pump direction");
    stop_condition_ = new QComboBox(defaults);
    fill(stop_condition_, stop_condition_items);
    add_box("Pump Stop Condition", stop_condition_, "How sensor should detect end of pump stroke");
    hall_inject_ = line(integer);
    add_box("Pump Hall Sensor 0 (I)", hall_inject_, "Hall stop value (injecting 1-4095)");
    hall_withdraw_ = line(integer);
    add_box("Pump Hall Sensor 1 (W)", hall_withdraw_, "Hall stop value (withdrawing 1-4095)");
    pump_timeout_ = line(integer);
    add_box("Pump Timeout (s)", pump_timeout_, "Pump stop time or Hall stop timeout (s)");
    hall_power_ = add_check(new QCheckBox("Enable Hall Sensors 5V Power", defaults),
                            "A5V power supply to Hall Effect sensors");
    spike_time_ = line(integer);
    add_box("Valves Spike Time (ms)", spike_time_,
            "Duration 12V spike voltage before reverting to 6V");
    save_ = new QPushButton("Save", defaults);
    save_->setToolTip("Save defaults to sensor");
    save_->setAutoDefault(false);
    grid->addWidget(save_, row++, 1);

    auto* inputs = new QGroupBox("Measured Analogue Inputs (Raw ADC Values)", this);
    auto* inputs_grid = new QGridLayout(inputs);
    auto reading_box = [&](const QString& label, int r, int c) {
        auto* e = new QLineEdit(inputs);
        e->setReadOnly(true);
        inputs_grid->addWidget(new QLabel(label, inputs), r, c * 2);
        inputs_grid->addWidget(e, r, c * 2 + 1);
        return e;
    };
    hall_readings_[0] = reading_box("Hall 0", 0, 0);
    hall_readings_[1] = reading_box("Hall 1", 0, 1);
    for (std::size_t i = 0; i < channels_.size(); ++i)
        channels_[i] = reading_box(QString("Ch %1").arg(i), 1 + int(i % 4), int(i / 4));
    show_volts_ = new QCheckBox("Show as volts", inputs);
    show_volts_->setToolTip("Display analogue outputs here in volts (0-5V)");
    inputs_grid->addWidget(show_volts_, 5, 0, 1, 4);

    auto* test = new QGroupBox("Test", this);
    auto* test_grid = new QGridLayout(test);
    test_valves_ = new QCheckBox("Test Valves", test);
    test_grid->addWidget(test_valves_, 0, 0, 1, 8);
    for (std::size_t i = 0; i < valve_count; ++i) {
        valves_[i] = new QCheckBox(QString::number(i), test);
        test_grid->addWidget(valves_[i], 1 + int(i / 8), int(i % 8));
    }
    test_optics_ = new QCheckBox("Test Optics", test);
    test_pump_ = new QCheckBox("Test Pump", test);
    pump_continuously_ = new QCheckBox("Pump Continuously", test);
    pump_continuously_->setToolTip(
        "Automatically switch direction and re-start at end of each stroke");
    start_ = new QPushButton("Start", test);
    start_->setToolTip("Start/Stop optics, valves and pump");
    start_->setAutoDefault(false);
    test_grid->addWidget(test_optics_, 3, 0, 1, 8);
    test_grid->addWidget(test_pump_, 4, 0, 1, 4);
    test_grid->addWidget(pump_continuously_, 4, 4, 1, 4);
    test_grid->addWidget(start_, 5, 6, 1, 2);

    auto* right = new QVBoxLayout;
    right->addWidget(inputs);
    right->addWidget(test);
    right->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addWidget(defaults);
    top->addLayout(right);

    connect(save_, &QPushButton::clicked, this, &OpticsDefaultsDialog::save_pressed);
    connect(start_, &QPushButton::clicked, this, [this] {
        if (start_->text() == "Start")
            start_pressed();
        else
            stop_test(false);
    });
    connect(stop_condition_, &QComboBox::currentIndexChanged, this,
            &OpticsDefaultsDialog::stop_condition_changed);
    connect(direction_, &QComboBox::currentIndexChanged, this,
            &OpticsDefaultsDialog::apply_enabling);
    connect(pmt_instrument_, &QComboBox::currentIndexChanged, this,
            &OpticsDefaultsDialog::apply_enabling);
    for (QCheckBox* box : {test_valves_, test_optics_, test_pump_})
        connect(box, &QCheckBox::clicked, this, &OpticsDefaultsDialog::apply_enabling);
    connect(show_volts_, &QCheckBox::toggled, this, [this] {
        if (last_readings_)
            show_readings(*last_readings_);
    });
}

OpticsForm OpticsDefaultsDialog::read_form() const {
    OpticsForm f;
    for (std::size_t i = 0; i < led_count; ++i)
        f.led_ma[i] = s(leds_[i]);
    f.photodiode_power = photodiode_power_->isChecked();
    f.pmt_instrument = pmt_instrument_->currentIndex();
    f.pmt_control_v = s(pmt_control_);
    f.dic_frequency_khz = s(dic_frequency_);
    f.dic_excitation_pct = s(dic_excitation_);
    f.dic_offset_v = s(dic_offset_);
    f.dic_rxgain = dic_rxgain_->isChecked();
    f.pump_current_ma = s(pump_current_);
    f.pump_step_period_us = s(step_period_);
    f.microstepping = microstepping_->currentIndex();
    f.direction = direction_->currentIndex();
    f.stop_condition = stop_condition_->currentIndex();
    f.hall_inject = s(hall_inject_);
    f.hall_withdraw = s(hall_withdraw_);
    f.pump_timeout_s = s(pump_timeout_);
    f.hall_power = hall_power_->isChecked();
    f.valve_spike_ms = s(spike_time_);
    for (std::size_t i = 0; i < valve_count; ++i)
        f.valves[i] = valves_[i]->isChecked();
    f.test_valves = test_valves_->isChecked();
    f.test_optics = test_optics_->isChecked();
    f.test_pump = test_pump_->isChecked();
    f.pump_continuously = pump_continuously_->isChecked();
    return f;
}

void OpticsDefaultsDialog::write_form(const OpticsForm& f) {
    for (std::size_t i = 0; i < led_count; ++i)
        set_text(leds_[i], f.led_ma[i]);
    photodiode_power_->setChecked(f.photodiode_power);
    set_index(pmt_instrument_, f.pmt_instrument);
    set_text(pmt_control_, f.pmt_control_v);
    set_text(dic_frequency_, f.dic_frequency_khz);
    set_text(dic_excitation_, f.dic_excitation_pct);
    set_text(dic_offset_, f.dic_offset_v);
    dic_rxgain_->setChecked(f.dic_rxgain);
    set_text(pump_current_, f.pump_current_ma);
    set_text(step_period_, f.pump_step_period_us);
    set_index(microstepping_, f.microstepping);
    set_index(direction_, f.direction);
    set_index(stop_condition_, f.stop_condition);
    set_text(hall_inject_, f.hall_inject);
    set_text(hall_withdraw_, f.hall_withdraw);
    set_text(pump_timeout_, f.pump_timeout_s);
    hall_power_->setChecked(f.hall_power);
    set_text(spike_time_, f.valve_spike_ms);
}

void OpticsDefaultsDialog::store() {
    OpticsForm form = read_form();
    store_form(form, settings_);
    // With the H10492 the photomultiplier box is rewritten with the voltage stored.
    set_text(pmt_control_, form.pmt_control_v);
}

void OpticsDefaultsDialog::apply_enabling() {
    const OpticsEnabling e = idle_enabling(settings_, read_form());
    for (QWidget* w : findChildren<QWidget*>())
        w->setEnabled(true);
    pmt_instrument_label_->setEnabled(e.pmt_instrument);
    pmt_instrument_->setEnabled(e.pmt_instrument);
    pmt_control_label_->setEnabled(e.pmt_control);
    pmt_control_->setEnabled(e.pmt_control);
    for (QWidget* w :
         {static_cast<QWidget*>(dic_frequency_), static_cast<QWidget*>(dic_excitation_),
          static_cast<QWidget*>(dic_offset_), static_cast<QWidget*>(dic_rxgain_)})
        w->setEnabled(e.dic);
    for (QLabel* l : dic_labels_)
        l->setEnabled(e.dic);
    hall_inject_->setEnabled(e.hall_stop_values);
    hall_withdraw_->setEnabled(e.hall_stop_values);
    pump_timeout_->setEnabled(e.pump_timeout);
    hall_power_->setEnabled(e.hall_power);
    for (QCheckBox* v : valves_)
        v->setEnabled(e.valve_boxes);
    pump_continuously_->setEnabled(e.pump_continuously);
    start_->setText("Start");
    start_->setEnabled(e.start);
    show_volts_->setEnabled(false);
}

void OpticsDefaultsDialog::set_test_running_look() {
    for (QWidget* w : findChildren<QWidget*>()) {
        // The group frames and the reading boxes stay as they are: the readings must stay
        // easy to read while the test runs.
        if (qobject_cast<QGroupBox*>(w))
            continue;
        if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isReadOnly())
            continue;
        if (qobject_cast<QLabel*>(w))
            continue;
        w->setEnabled(false);
    }
    start_->setEnabled(true);
    show_volts_->setEnabled(true);
}

void OpticsDefaultsDialog::save_pressed() {
    store();
    if (save_optics_settings(link_, settings_) != status::ok) {
        ui::show_message(this, "Save", "Failed to save settings", ui::PromptIcon::error);
        return;
    }
    (void)load_optics_settings(link_, settings_);
    OpticsForm form = read_form();
    show_records(settings_, form);
    write_form(form);
    apply_enabling();
    ui::show_message(this, "Save", "Settings saved");
}

void OpticsDefaultsDialog::stop_condition_changed() {
    OpticsForm form = read_form();
    stop_condition_chosen(form, settings_);
    write_form(form);
    apply_enabling();
}

void OpticsDefaultsDialog::start_pressed() {
    store();
    const OpticsForm form = read_form();
    const BenchTestPlan plan = bench_test_plan(form);
    set_test_running_look();
    if (start_bench_test(link_, settings_, plan) != status::ok) {
        ui::show_message(this, "Start", "Unable to start", ui::PromptIcon::error);
        apply_enabling();
        return;
    }
    start_->setText("Stop");
    BenchTestWorker::Callbacks callbacks;
    callbacks.readings = [this](const BenchReadings& r) {
        QMetaObject::invokeMethod(
            this, [this, r] { show_readings(r); }, Qt::QueuedConnection);
    };
    // A pump end still queued from an earlier test must not end this one.
    const unsigned test = ++test_number_;
    callbacks.pump_finished = [this, test] {
        QMetaObject::invokeMethod(
            this,
            [this, test] {
                if (test == test_number_)
                    pump_finished();
            },
            Qt::QueuedConnection);
    };
    worker_.start(link_, plan.pump, std::move(callbacks));
}

void OpticsDefaultsDialog::stop_test(bool closing) {
    if (!closing)
        store();
    worker_.stop();
    (void)stop_bench_test(link_);
    apply_enabling();
}

void OpticsDefaultsDialog::pump_finished() {
    // The worker has switched the optics and valves off and is ending.
    worker_.stop();
    apply_enabling();
}

void OpticsDefaultsDialog::show_readings(const BenchReadings& r) {
    last_readings_ = r;
    const bool volts = show_volts_->isChecked();
    for (std::size_t i = 0; i < channels_.size(); ++i)
        channels_[i]->setText(q(channel_text(r.channels[i], volts)));
    hall_readings_[0]->setText(QString::number(r.hall0));
    hall_readings_[1]->setText(QString::number(r.hall1));
}

void OpticsDefaultsDialog::done(int result) {
    // Closing always switches the bench off: a test, or the part of one that started before
    // another part refused, may still be running on the sensor.
    stop_test(true);
    QDialog::done(result);
}

void run_optics_defaults_dialog(QWidget* parent, link::SensorLink& link) {
    run_settings_dialog<OpticsDefaultsDialog>(parent, link, "Configure Defaults",
                                              "Unable to get existing defaults from sensor");
}

}  // namespace quelmar::config
