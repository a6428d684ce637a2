#include "statemachine/state_machine_editor_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "config/schedule_dialog.h"
#include "ui/prompts.h"
#include "statemachine/go_to_state_dialog.h"
#include "statemachine/paste_options_dialog.h"
#include "statemachine/state_files.h"
#include "statemachine/state_machine_definition_dialog.h"
#include "statemachine/state_text.h"
#include "statemachine/state_transfer.h"

namespace quelmar::statemachine {

namespace {
const char* const state_file_filter =
    "SC2 State Machine Files (*.asm);;SC1 State Machine Files (*.dat);;All Files (*.*)";
const char* const refresh_caption = "Refresh (from sensor)";
const char* const save_sensor_caption = "Save (to sensor)";

template <std::size_t N>
QComboBox* make_list(QWidget* parent, const std::array<const char*, N>& entries,
                     const QString& name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const char* e : entries)
        box->addItem(e);
    return box;
}

QLineEdit* make_number(QWidget* parent, const QString& name, const QString& tip = {}) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(90);
    if (!tip.isEmpty())
        edit->setToolTip(tip);
    return edit;
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string ss(const QLineEdit* e) {
    return e->text().toStdString();
}
}  // namespace

StateLabelWidget::StateLabelWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("state_label");
}

void StateLabelWidget::set_text(const QString& text) {
    text_ = text;
    update();
}

QSize StateLabelWidget::sizeHint() const {
    return {220, 40};
}

void StateLabelWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    QFont font("Arial");
    font.setPixelSize(24);
    painter.setFont(font);
    painter.setPen(isEnabled() ? QColor(0, 0, 0) : QColor(150, 150, 150));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

void run_state_machine_editor(QWidget* parent, link::SensorLink& link) {
    StateMachineEditorDialog dialog(link, link::sensor_link_is_open(link), parent);
    dialog.exec();
}

StateMachineEditorDialog::StateMachineEditorDialog(link::SensorLink& link, bool connected,
                                                   QWidget* parent)
    : QDialog(parent), link_(link), connected_(connected) {
    setWindowTitle("Edit State Machine");
    build_form();
    build_menus();
    open_machine();
}

void StateMachineEditorDialog::build_form() {
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    label_ = new StateLabelWidget(this);
    mode_ = make_list(this, mode_list(), "mode");
    top->addWidget(label_);
    top->addWidget(new QLabel("Mode", this));
    top->addWidget(mode_);
    top->addStretch();
    layout->addLayout(top);

    auto* outputs = new QGroupBox("Valves, LEDs && Power", this);
    auto* og = new QGridLayout(outputs);
    for (int i = 0; i < 16; ++i) {
        valves_[i] = new QCheckBox(QString::number(i), outputs);
        valves_[i]->setObjectName(QString("valve%1").arg(i));
        og->addWidget(valves_[i], 0 + i / 8, i % 8);
    }
    for (int i = 0; i < 4; ++i) {
        og->addWidget(new QLabel(QString("LED %1").arg(i), outputs), 2, i * 2);
        leds_[i] = make_list(outputs, on_off_list(), QString("led%1").arg(i));
        og->addWidget(leds_[i], 3, i * 2);
        led_currents_[i] =
            make_number(outputs, QString("led_current%1").arg(i), "LED current (0mA-48mA)");
        led_currents_[i]->setReadOnly(true);
        og->addWidget(led_currents_[i], 3, i * 2 + 1);
    }
    photodiode_power_ = new QCheckBox("Enable Photodiodes 5V Power", outputs);
    photodiode_power_->setObjectName("photodiode_power");
    hall_power_ = new QCheckBox("Enable Hall Sensors 5V Power", outputs);
    hall_power_->setObjectName("hall_power");
    aux_switch_ = make_list(outputs, on_off_list(), "aux_switch");
    send_sync_ = new QCheckBox("Send Sync", outputs);
    send_sync_->setObjectName("send_sync");
    send_sync_->setToolTip("Send synchronisation signal to external unit (usually off)");
    sync_value_ = make_number(outputs, "sync_value", "Sychronisation value to send (0-255)");
    og->addWidget(photodiode_power_, 4, 0, 1, 3);
    og->addWidget(hall_power_, 4, 3, 1, 3);
    og->addWidget(new QLabel("Switch", outputs), 5, 0);
    og->addWidget(aux_switch_, 5, 1);
    og->addWidget(send_sync_, 5, 3);
    og->addWidget(sync_value_, 5, 4);
    layout->addWidget(outputs);

    auto* pump = new QGroupBox("Pump", this);
    auto* pg = new QGridLayout(pump);
    operate_pump_ = new QCheckBox("Operate Pump", pump);
    operate_pump_->setObjectName("operate_pump");
    direction_ = make_list(pump, direction_list(), "direction");
    winding_current_ = make_number(pump, "winding_current", "Winding current limit (10ma-1600mA)");
    step_period_ = make_number(pump, "step_period", "Step period (2us-131071us)");
    microstep_ = make_list(pump, microstep_list(), "microstep");
    stop_ = make_list(pump, stop_list(), "stop");
    hall_stop_inject_ = make_number(pump, "hall_stop_inject", "Hall stop value (injecting 1-4095)");
    hall_stop_withdraw_ =
        make_number(pump, "hall_stop_withdraw", "Hall stop value (withdrawing 1-4095)");
    hall_stop_inject_->setReadOnly(true);
    hall_stop_withdraw_->setReadOnly(true);
    stop_time_ = make_number(pump, "stop_time", "Hall stop timeout/stop time (s)");
    step_count_ = make_number(pump, "step_count");
    timeout_next_ = make_number(pump, "timeout_next", "Next state if Hall stop times out (0-255)");
    pg->addWidget(operate_pump_, 0, 0);
    pg->addWidget(new QLabel("Direction", pump), 0, 1);
    pg->addWidget(direction_, 0, 2);
    pg->addWidget(new QLabel("Current (mA)", pump), 0, 3);
    pg->addWidget(winding_current_, 0, 4);
    pg->addWidget(new QLabel("Step Period (\u00b5s)", pump), 0, 5);
    pg->addWidget(step_period_, 0, 6);
    pg->addWidget(new QLabel("Microstepping", pump), 1, 1);
    pg->addWidget(microstep_, 1, 2);
    pg->addWidget(new QLabel("Stop", pump), 1, 3);
    pg->addWidget(stop_, 1, 4);
    pg->addWidget(new QLabel("Hall Stop (I/W)", pump), 1, 5);
    auto* halls = new QHBoxLayout;
    halls->addWidget(hall_stop_inject_);
    halls->addWidget(hall_stop_withdraw_);
    pg->addLayout(halls, 1, 6);
    pg->addWidget(new QLabel("Stop Time (s)", pump), 2, 1);
    pg->addWidget(stop_time_, 2, 2);
    pg->addWidget(new QLabel("Step Count", pump), 2, 3);
    pg->addWidget(step_count_, 2, 4);
    pg->addWidget(new QLabel("Timeout Next State", pump), 2, 5);
    pg->addWidget(timeout_next_, 2, 6);
    layout->addWidget(pump);

    auto* flow = new QGroupBox("Delay && Next State", this);
    auto* fg = new QGridLayout(flow);
    wait_seconds_ = new QRadioButton("Wait For This Many Seconds", flow);
    wait_seconds_->setObjectName("wait_seconds");
    wait_schedule_ = new QRadioButton("Wait For Next Measurement Time", flow);
    wait_schedule_->setObjectName("wait_schedule");
    auto* wait_group = new QButtonGroup(flow);
    wait_group->addButton(wait_seconds_);
    wait_group->addButton(wait_schedule_);
    delay_ = make_number(flow, "delay", "Delay time (s)");
    default_next_ = make_number(flow, "default_next", "Next state if no counters expire (0-255)");
    fg->addWidget(wait_seconds_, 0, 0);
    fg->addWidget(delay_, 0, 1);
    fg->addWidget(wait_schedule_, 0, 2);
    fg->addWidget(new QLabel("Next State", flow), 0, 3);
    fg->addWidget(default_next_, 0, 4);
    for (std::size_t i = 0; i < counter_count; ++i) {
        const int row = static_cast<int>(i) + 1;
        auto& c = counters_[i];
        const QString n = QString::number(i + 1);
        c.action = make_list(flow, action_list(), "counter_action" + n);
        const bool first = i == 0;
        c.increment = make_number(flow, "counter_increment" + n,
                                  first ? "Amount to increment before testing (0-255)" : "etc.");
        c.maximum = make_number(flow, "counter_maximum" + n,
                                first ? "Max value for counter (1-255)" : "etc.");
        c.next = make_number(flow, "counter_next" + n,
                             first ? "Next step if counter exceeds max value (0-255)" : "etc.");
        fg->addWidget(new QLabel("Counter " + n, flow), row, 0);
        fg->addWidget(c.action, row, 1);
        fg->addWidget(c.increment, row, 2);
        fg->addWidget(c.maximum, row, 3);
        fg->addWidget(c.next, row, 4);
    }
    diving_ = make_list(flow, diving_list(), "diving");
    diving_next_ = make_number(flow, "diving_next");
    climbing_ = make_list(flow, climbing_list(), "climbing");
    climbing_next_ = make_number(flow, "climbing_next");
    fg->addWidget(new QLabel("Diving", flow), 7, 0);
    fg->addWidget(diving_, 7, 1);
    fg->addWidget(diving_next_, 7, 2);
    fg->addWidget(new QLabel("Climbing", flow), 8, 0);
    fg->addWidget(climbing_, 8, 1);
    fg->addWidget(climbing_next_, 8, 2);
    layout->addWidget(flow);

    auto* buttons = new QHBoxLayout;
    previous_ = new QPushButton("Previous", this);
    next_ = new QPushButton("Next", this);
    save_sensor_ = new QPushButton("Save to Sensor", this);
    save_sensor_->setToolTip("Save edits to sensor (all states)");
    refresh_ = new QPushButton("Refresh from Sensor", this);
    refresh_->setToolTip("Refresh editor from sensor (all states)");
    summary_ = new QPushButton("Summary...", this);
    summary_->setToolTip("Dry-run state machine on PC");
    // Enabled only for a state that waits for the next measurement time, while connected.
    schedule_ = new QPushButton("Schedule...", this);
    previous_->setObjectName("previous");
    next_->setObjectName("next");
    save_sensor_->setObjectName("save_to_sensor");
    refresh_->setObjectName("refresh_from_sensor");
    summary_->setObjectName("summary");
    schedule_->setObjectName("schedule");
    for (QPushButton* b : {previous_, next_, save_sensor_, refresh_, summary_, schedule_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(false);
    layout->addWidget(status_);

    connect(previous_, &QPushButton::clicked, this, [this] { previous_pressed(); });
    connect(next_, &QPushButton::clicked, this, [this] { next_pressed(); });
    connect(save_sensor_, &QPushButton::clicked, this, [this] { save_to_sensor_pressed(); });
    connect(refresh_, &QPushButton::clicked, this, [this] { refresh_pressed(); });
    connect(summary_, &QPushButton::clicked, this, [this] { summary_pressed(); });
    connect(schedule_, &QPushButton::clicked, this,
            [this] { config::run_schedule_dialog(this, link_); });

    auto changed = [this] { form_changed(); };
    for (QComboBox* box : {mode_, aux_switch_, direction_, microstep_, stop_, diving_, climbing_})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    for (QComboBox* box : leds_)
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    for (auto& c : counters_)
        connect(c.action, &QComboBox::currentIndexChanged, this, changed);
    for (QCheckBox* box : {send_sync_, operate_pump_})
        connect(box, &QCheckBox::toggled, this, changed);
    connect(wait_seconds_, &QRadioButton::toggled, this, changed);
}

void StateMachineEditorDialog::build_menus() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    load_file_action_ = file->addAction("Load State Machine &From File...");
    save_file_action_ = file->addAction("&Save State Machine To File...");
    new_action_ = file->addAction("&New State Machine");
    file->addSeparator();
    QAction* exit = file->addAction("E&xit...");

    QMenu* edit = bar->addMenu("&Edit");
    delete_action_ = edit->addAction("&Delete State");
    delete_action_->setShortcut(QKeySequence("Ctrl+D"));
    insert_after_action_ = edit->addAction("Insert State &After");
    insert_after_action_->setShortcut(QKeySequence("Ctrl+J"));
    insert_before_action_ = edit->addAction("Insert State &Before");
    insert_before_action_->setShortcut(QKeySequence("Ctrl+I"));
    edit->addSeparator();
    copy_action_ = edit->addAction("&Copy State");
    copy_action_->setShortcut(QKeySequence("Ctrl+Shift+C"));
    cut_action_ = edit->addAction("Cu&t State");
    cut_action_->setShortcut(QKeySequence("Ctrl+Shift+X"));
    paste_action_ = edit->addAction("&Paste State...");
    paste_action_->setShortcut(QKeySequence("Ctrl+Shift+V"));

    QMenu* go = bar->addMenu("&Go");
    next_action_ = go->addAction("&Next State");
    next_action_->setShortcut(QKeySequence("Ctrl+N"));
    previous_action_ = go->addAction("&Previous State");
    previous_action_->setShortcut(QKeySequence("Ctrl+P"));
    QAction* go_to = go->addAction("&Go to state...");

    // The keys work wherever the focus is in the dialog, not only through the menu bar.
    addActions({delete_action_, insert_after_action_, insert_before_action_, copy_action_,
                cut_action_, paste_action_, next_action_, previous_action_});

    connect(load_file_action_, &QAction::triggered, this, [this] { load_from_file(); });
    connect(save_file_action_, &QAction::triggered, this, [this] { save_to_file(); });
    connect(new_action_, &QAction::triggered, this, [this] { new_pressed(); });
    connect(exit, &QAction::triggered, this, &QDialog::reject);
    connect(delete_action_, &QAction::triggered, this, [this] { delete_pressed(); });
    connect(insert_after_action_, &QAction::triggered, this, [this] { insert_after_pressed(); });
    connect(insert_before_action_, &QAction::triggered, this, [this] { insert_before_pressed(); });
    connect(copy_action_, &QAction::triggered, this, [this] { copy_pressed(); });
    connect(cut_action_, &QAction::triggered, this, [this] { cut_pressed(); });
    connect(paste_action_, &QAction::triggered, this, [this] { paste_pressed(); });
    connect(next_action_, &QAction::triggered, this, [this] { next_pressed(); });
    connect(previous_action_, &QAction::triggered, this, [this] { previous_pressed(); });
    connect(go_to, &QAction::triggered, this, [this] { go_to_state(); });
}

void StateMachineEditorDialog::open_machine() {
    if (connected_) {
        defaults_ = read_state_defaults(link_);
        set_status("Loading state machine from sensor...");
        if (load_from_sensor(link_, machine_, defaults_)) {
            take_snapshot(machine_);
            set_status("Loaded state machine successfully from sensor");
        } else {
            new_machine(machine_, defaults_);
            set_status("Failed to load state machine from sensor");
        }
    } else {
        defaults_ = fallback_state_defaults();
        new_machine(machine_, defaults_);
        set_status("Empty state machine (not connected)");
    }
    machine_.current_state = 0;
    show_current();
}

QString StateMachineEditorDialog::status_text() const {
    return status_->currentMessage();
}
QString StateMachineEditorDialog::state_label() const {
    return label_->text();
}

void StateMachineEditorDialog::set_status(const QString& text) {
    if (text.isEmpty())
        status_->clearMessage();
    else
        status_->showMessage(text);
}

void StateMachineEditorDialog::show_current() {
    showing_ = true;
    const StateForm f = form_from_record(machine_.states[machine_.current_state]);
    mode_->setCurrentIndex(f.mode);
    for (int i = 0; i < 16; ++i)
        valves_[i]->setChecked(f.valves[i]);
    for (int i = 0; i < 4; ++i)
        leds_[i]->setCurrentIndex(f.leds[i]);
    photodiode_power_->setChecked(f.photodiode_power);
    hall_power_->setChecked(f.hall_power);
    aux_switch_->setCurrentIndex(f.aux_switch);
    send_sync_->setChecked(f.send_sync);
    sync_value_->setText(qs(f.sync_value));
    operate_pump_->setChecked(f.operate_pump);
    direction_->setCurrentIndex(f.direction);
    winding_current_->setText(qs(f.winding_current));
    step_period_->setText(qs(f.step_period));
    microstep_->setCurrentIndex(f.microstep);
    stop_->setCurrentIndex(f.stop);
    stop_time_->setText(qs(f.stop_time));
    step_count_->setText(qs(f.step_count));
    timeout_next_->setText(qs(f.timeout_next));
    wait_seconds_->setChecked(!f.wait_for_schedule);
    wait_schedule_->setChecked(f.wait_for_schedule);
    delay_->setText(qs(f.delay));
    default_next_->setText(qs(f.default_next));
    for (std::size_t i = 0; i < counter_count; ++i) {
        counters_[i].action->setCurrentIndex(f.counters[i].action);
        counters_[i].increment->setText(qs(f.counters[i].increment));
        counters_[i].maximum->setText(qs(f.counters[i].maximum));
        counters_[i].next->setText(qs(f.counters[i].next));
    }
    diving_->setCurrentIndex(f.diving);
    diving_next_->setText(qs(f.diving_next));
    climbing_->setCurrentIndex(f.climbing);
    climbing_next_->setText(qs(f.climbing_next));
    hall_stop_inject_->setText(QString::number(defaults_.pump.hall_stop_inject));
    hall_stop_withdraw_->setText(QString::number(defaults_.pump.hall_stop_withdraw));
    label_->set_text(qs(state_label_text(machine_.current_state)));
    showing_ = false;
    apply_enabling();
}

StateForm StateMachineEditorDialog::read_form() const {
    StateForm f;
    f.mode = mode_->currentIndex();
    for (int i = 0; i < 16; ++i)
        f.valves[i] = valves_[i]->isChecked();
    for (int i = 0; i < 4; ++i)
        f.leds[i] = leds_[i]->currentIndex();
    f.photodiode_power = photodiode_power_->isChecked();
    f.hall_power = hall_power_->isChecked();
    f.aux_switch = aux_switch_->currentIndex();
    f.send_sync = send_sync_->isChecked();
    f.sync_value = ss(sync_value_);
    f.operate_pump = operate_pump_->isChecked();
    f.direction = direction_->currentIndex();
    f.winding_current = ss(winding_current_);
    f.step_period = ss(step_period_);
    f.microstep = microstep_->currentIndex();
    f.stop = stop_->currentIndex();
    f.stop_time = ss(stop_time_);
    f.step_count = ss(step_count_);
    f.timeout_next = ss(timeout_next_);
    f.wait_for_schedule = wait_schedule_->isChecked();
    f.delay = ss(delay_);
    f.default_next = ss(default_next_);
    for (std::size_t i = 0; i < counter_count; ++i)
        f.counters[i] = {counters_[i].action->currentIndex(), ss(counters_[i].increment),
                         ss(counters_[i].maximum), ss(counters_[i].next)};
    f.diving = diving_->currentIndex();
    f.diving_next = ss(diving_next_);
    f.climbing = climbing_->currentIndex();
    f.climbing_next = ss(climbing_next_);
    return f;
}

void StateMachineEditorDialog::store_form_now() {
    StateRecord& r = machine_.states[machine_.current_state];
    r = store_form(r, read_form());
}

void StateMachineEditorDialog::form_changed() {
    if (showing_)
        return;
    const StateForm now = read_form();
    if (needs_hall_power(last_form_, now)) {
        // A Hall stop needs the Hall sensors powered.
        store_form_now();
        machine_.states[machine_.current_state].hall_power = 1;
        show_current();
        return;
    }
    apply_enabling();
}

void StateMachineEditorDialog::apply_enabling() {
    const StateForm f = read_form();
    last_form_ = f;
    const FormEnabling e = form_enabling(f, connected_);
    default_next_->setEnabled(e.next_state);
    wait_seconds_->setEnabled(e.wait_seconds);
    wait_schedule_->setEnabled(e.wait_schedule);
    delay_->setEnabled(e.delay);
    schedule_->setEnabled(e.schedule_button);
    for (QCheckBox* v : valves_)
        v->setEnabled(e.valves);
    photodiode_power_->setEnabled(e.photodiode_power);
    for (int i = 0; i < 4; ++i) {
        leds_[i]->setEnabled(e.leds);
        led_currents_[i]->setEnabled(e.leds);
        led_currents_[i]->setText(
            qs(led_current_text(defaults_.optics, i, f.leds[i] == form_index::on)));
    }
    aux_switch_->setEnabled(e.aux_switch);
    send_sync_->setEnabled(e.send_sync);
    sync_value_->setEnabled(e.sync_value);
    operate_pump_->setEnabled(e.operate_pump);
    direction_->setEnabled(e.direction);
    winding_current_->setEnabled(e.winding_current);
    step_period_->setEnabled(e.step_period);
    microstep_->setEnabled(e.microstep);
    stop_->setEnabled(e.stop);
    timeout_next_->setEnabled(e.timeout_next);
    stop_time_->setEnabled(e.stop_time);
    step_count_->setEnabled(e.step_count);
    hall_power_->setEnabled(e.hall_power);
    hall_stop_inject_->setEnabled(e.hall_stop_inject);
    hall_stop_withdraw_->setEnabled(e.hall_stop_withdraw);
    for (std::size_t i = 0; i < counter_count; ++i) {
        counters_[i].action->setEnabled(e.counters[i].action);
        counters_[i].increment->setEnabled(e.counters[i].increment);
        counters_[i].maximum->setEnabled(e.counters[i].maximum);
        counters_[i].next->setEnabled(e.counters[i].next);
    }
    diving_->setEnabled(e.diving);
    diving_next_->setEnabled(e.diving_next);
    climbing_->setEnabled(e.climbing);
    climbing_next_->setEnabled(e.climbing_next);

    const CommandEnabling c = command_enabling(machine_);
    previous_->setEnabled(c.previous);
    previous_action_->setEnabled(c.previous);
    next_->setEnabled(c.next);
    next_action_->setEnabled(c.next);
    save_sensor_->setEnabled(connected_);
    refresh_->setEnabled(connected_);
    insert_after_action_->setEnabled(c.insert);
    insert_before_action_->setEnabled(c.insert);
    delete_action_->setEnabled(c.remove);
    cut_action_->setEnabled(c.remove);
    paste_action_->setEnabled(c.paste);
}

void StateMachineEditorDialog::previous_pressed() {
    store_form_now();
    if (machine_.current_state > 0)
        --machine_.current_state;
    set_status({});
    show_current();
}

void StateMachineEditorDialog::next_pressed() {
    store_form_now();
    if (machine_.current_state < machine_.last_state_index)
        ++machine_.current_state;
    set_status({});
    show_current();
}

void StateMachineEditorDialog::go_to_state() {
    store_form_now();
    GoToStateDialog dialog(machine_.last_state_index, this);
    if (dialog.exec() == QDialog::Accepted)
        show_state_number(dialog.state());
}

void StateMachineEditorDialog::show_state_number(std::uint32_t state) {
    store_form_now();
    if (state > machine_.last_state_index)
        return;
    machine_.current_state = static_cast<std::uint16_t>(state);
    set_status({});
    show_current();
}

void StateMachineEditorDialog::mouseDoubleClickEvent(QMouseEvent*) {
    go_to_state();
}

void StateMachineEditorDialog::delete_pressed() {
    store_form_now();
    if (delete_state(machine_))
        set_status("Deleted");
    show_current();
}

void StateMachineEditorDialog::insert_after_pressed() {
    store_form_now();
    if (insert_state(machine_, InsertWhere::after, defaults_))
        set_status("Inserted");
    show_current();
}

void StateMachineEditorDialog::insert_before_pressed() {
    store_form_now();
    if (insert_state(machine_, InsertWhere::before, defaults_))
        set_status("Inserted");
    show_current();
}

void StateMachineEditorDialog::copy_pressed() {
    store_form_now();
    machine_.clipboard = machine_.states[machine_.current_state];
    machine_.clipboard_full = true;
    set_status("Copied");
    apply_enabling();
}

void StateMachineEditorDialog::cut_pressed() {
    copy_pressed();
    if (delete_state(machine_))
        set_status("Cut");
    show_current();
}

void StateMachineEditorDialog::paste_pressed() {
    store_form_now();
    if (!machine_.clipboard_full)
        return;
    PasteOptionsDialog dialog(paste_options_, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    paste_with(dialog.options(), accepted);
}

void StateMachineEditorDialog::paste_with(const PasteOptions& options, bool accepted) {
    store_form_now();
    // The choice is remembered either way; only OK pastes.
    paste_options_ = options;
    if (!accepted)
        return;
    if (paste_state(machine_, options, defaults_))
        set_status("Pasted");
    show_current();
}

bool StateMachineEditorDialog::unsaved_edits_check(const QString& caption) {
    store_form_now();
    if (!has_unsaved_edits(machine_))
        return true;
    switch (ui::ask_yes_no_cancel(this, caption, "Save current state machine to file first?")) {
        case ui::PromptAnswer::yes:
            return save_to_file();
        case ui::PromptAnswer::no:
            return true;
        default:
            return false;
    }
}

void StateMachineEditorDialog::new_pressed() {
    if (!unsaved_edits_check("New"))
        return;
    new_machine(machine_, defaults_);
    set_status({});
    show_current();
}

bool StateMachineEditorDialog::load_from_file() {
    const QString path = ui::choose_open_file(this, "State Machine File", state_file_filter);
    if (path.isEmpty()) {
        set_status("Load cancelled");
        return false;
    }
    if (load_state_file(path.toStdString(), machine_, defaults_) != FileResult::ok) {
        ui::show_message(this, "Load From File", "Failed to load file", ui::PromptIcon::error);
        show_current();
        return false;
    }
    set_status("File loaded");
    show_current();
    take_snapshot(machine_);
    set_status("Loaded state machine successfully from file");
    return true;
}

bool StateMachineEditorDialog::save_to_file() {
    store_form_now();
    // The chosen file type decides the extension of a name typed without one, and so the
    // format: ".dat" writes the 102-byte records.
    const QString path =
        ui::choose_save_target(this, "State Machine File", state_file_filter, "asm");
    if (path.isEmpty()) {
        set_status("Save cancelled");
        return false;
    }
    if (save_state_file(path.toStdString(), machine_) != FileResult::ok) {
        ui::show_message(this, "Save To File", "Failed to save file", ui::PromptIcon::error);
        return false;
    }
    set_status("File saved");
    take_snapshot(machine_);
    set_status("Saved");
    return true;
}

void StateMachineEditorDialog::refresh_pressed() {
    if (!connected_)
        return;
    if (!unsaved_edits_check(refresh_caption)) {
        set_status("Load from sensor cancelled.");
        return;
    }
    set_status("Refresh started");
    if (!load_from_sensor(link_, machine_, defaults_)) {
        set_status("Refresh failed");
        restore_snapshot(machine_);
        machine_.current_state = 0;
        show_current();
        ui::show_message(this, refresh_caption,
                          "Failed to refresh state machine from sensor controller",
                          ui::PromptIcon::error);
        return;
    }
    set_status("Refresh complete");
    machine_.current_state = 0;
    show_current();
    take_snapshot(machine_);
    ui::show_message(this, refresh_caption, "Refreshed successfully.");
}

void StateMachineEditorDialog::save_to_sensor_pressed() {
    if (!connected_)
        return;
    store_form_now();
    set_status("Save started");
    if (!save_to_sensor(link_, machine_)) {
        ui::show_message(this, save_sensor_caption, "Failed to save state machine to sensor",
                          ui::PromptIcon::error);
        return;
    }
    take_snapshot(machine_);
    set_status("Save complete");
    ui::show_message(this, save_sensor_caption, "Saved successfully.");
}

void StateMachineEditorDialog::summary_pressed() {
    store_form_now();
    StateMachineDefinitionDialog dialog(machine_, this);
    dialog.exec();
}

}  // namespace quelmar::statemachine
