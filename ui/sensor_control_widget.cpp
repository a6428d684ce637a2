#include "ui/sensor_control_widget.h"

#include <QGridLayout>
#include <QTimer>

#include "ui/prompts.h"
#include "ui/shell_state.h"
#include "ui/start_states_dialog.h"

namespace quelmar::ui {

SensorControlWidget::SensorControlWidget(link::SensorLink* link, QWidget* parent)
    : QGroupBox("Sensor Control", parent),
      link_(link),
      list_(new QComboBox(this)),
      start_(new QPushButton("Start", this)),
      stop_(new QPushButton("Stop", this)),
      autostart_(new QCheckBox("Autostart", this)) {
    start_->setToolTip("Start Sensor");
    stop_->setToolTip("Stop Sensor");
    autostart_->setToolTip("Set sensor to run automatically at power-up");
    auto* grid = new QGridLayout(this);
    grid->addWidget(list_, 0, 0, 1, 2);
    grid->addWidget(start_, 1, 0);
    grid->addWidget(stop_, 1, 1);
    grid->addWidget(autostart_, 2, 0, 1, 2);
    connect(start_, &QPushButton::clicked, this, &SensorControlWidget::start_pressed);
    connect(stop_, &QPushButton::clicked, this, &SensorControlWidget::stop_requested);
    connect(autostart_, &QCheckBox::clicked, this, &SensorControlWidget::autostart_clicked);
    update_enabling();
}

void SensorControlWidget::set_configuration(const protocol::ChemistryConfig& config) {
    autostart_->setChecked(protocol::autostart_on(config));
    list_->clear();
    for (const auto& choice : protocol::start_choices(config))
        list_->addItem(QString::fromStdString(choice.name), int(choice.state));
    if (list_->count() > 0) list_->setCurrentIndex(0);
    update_enabling();
}

void SensorControlWidget::set_shell_state(unsigned state) {
    state_ = state;
    update_enabling();
}

void SensorControlWidget::update_enabling() {
    const bool connected = is_connected(state_);
    const bool can_start = connected && list_->count() > 0 && !is_running(state_);
    list_->setEnabled(can_start);
    start_->setEnabled(can_start);
    stop_->setEnabled(connected && is_running(state_));
    autostart_->setEnabled(connected);
}

void SensorControlWidget::start_pressed() {
    // Disabled with an empty list; nothing to start then.
    if (list_->currentIndex() < 0) return;
    emit start_requested(list_->currentData().toInt());
}

void SensorControlWidget::autostart_clicked() {
    if (link_) run_start_states_dialog(this, *link_, start_states_from_autostart);
    // The view re-reads the record once this click is over, so that the box shows what the
    // sensor holds, not what the click toggled.
    QTimer::singleShot(0, this, [this] { emit start_states_edited(); });
}

protocol::ChemistryConfig read_view_configuration(QWidget* parent, link::SensorLink* link,
                                                  bool report, bool* ok) {
    protocol::ChemistryConfig config;
    const bool read =
        link && protocol::read_chemistry_config(*link, config) == protocol::status::ok;
    if (ok) *ok = read;
    if (read) return config;
    if (report) show_message(parent, "Chemistry", "Unable to get current chemistry from sensor",
                             PromptIcon::warning);
    return protocol::fallback_chemistry_config();
}

}  // namespace quelmar::ui
