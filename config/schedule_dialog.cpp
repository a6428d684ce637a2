#include "config/schedule_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "config/clock_record.h"
#include "config/settings_dialog.h"
#include "ui/prompts.h"

namespace quelmar::config {

namespace {
constexpr const char* explanation =
    "This Measurement Schedule is used by State Machine states with the Wait For Next "
    "Measurement Time option set. There is only one Measurement Schedule per sensor so "
    "typically only one state at the start of the measurement cycle will use this option.";

void set_pickers(QDateEdit* date, QTimeEdit* time, std::uint32_t seconds) {
    const auto c = clock_from_seconds(seconds);
    if (!c)
        return;  // a time that cannot be converted leaves the pickers as they are
    date->setDate(QDate(c->year, c->month, c->day));
    time->setTime(QTime(c->hour, c->minute, c->second));
}

std::optional<std::uint32_t> read_pickers(const QDateEdit* date, const QTimeEdit* time) {
    const QDate d = date->date();
    const QTime t = time->time();
    if (d.year() < first_convertible_year || d.year() > last_convertible_year)
        return std::nullopt;
    return seconds_from_clock(
        {0, static_cast<std::uint16_t>(d.year()), static_cast<std::uint8_t>(d.month()),
         static_cast<std::uint8_t>(d.day()), static_cast<std::uint8_t>(t.hour()),
         static_cast<std::uint8_t>(t.minute()), static_cast<std::uint8_t>(t.second())});
}

void make_picker(QDateEdit* date, QTimeEdit* time) {
    date->setDisplayFormat("dd/MM/yyyy");
    date->setCalendarPopup(true);
    date->setDateRange(QDate(1970, 1, 1), QDate(2038, 1, 19));
    time->setDisplayFormat("HH:mm:ss");
}

void mark_red(QLineEdit* box, bool red) {
    box->setStyleSheet(red ? QStringLiteral("QLineEdit { color: red; border: 1px solid red; }")
                           : QString());
}
}  // namespace

ScheduleDialog::ScheduleDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent),
      link_(link),
      start_date_(new QDateEdit(this)),
      start_time_(new QTimeEdit(this)),
      continuous_(new QRadioButton("Continuously", this)),
      hours_option_(new QRadioButton("Every", this)),
      minutes_option_(new QRadioButton("Every", this)),
      hours_(new QLineEdit(this)),
      minutes_(new QLineEdit(this)),
      stop_enabled_(new QCheckBox("Enable Stop Time", this)),
      stop_date_(new QDateEdit(this)),
      stop_time_(new QTimeEdit(this)),
      save_(new QPushButton("Save", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setWindowTitle("Configure Measurement Schedule");
    make_picker(start_date_, start_time_);
    make_picker(stop_date_, stop_time_);

    auto* text = new QLabel(explanation, this);
    text->setWordWrap(true);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Start measuring at:", this), 0, 0);
    grid->addWidget(start_date_, 0, 1);
    grid->addWidget(start_time_, 0, 2);
    grid->addWidget(new QLabel("After that, measure:", this), 1, 0);
    grid->addWidget(continuous_, 1, 1);
    grid->addWidget(hours_option_, 2, 1);
    grid->addWidget(hours_, 2, 2);
    grid->addWidget(new QLabel("Hours", this), 2, 3);
    grid->addWidget(minutes_option_, 3, 1);
    grid->addWidget(minutes_, 3, 2);
    grid->addWidget(new QLabel("Minutes", this), 3, 3);
    grid->addWidget(stop_enabled_, 4, 0);
    grid->addWidget(new QLabel("Stop Measuring After:", this), 5, 0);
    grid->addWidget(stop_date_, 5, 1);
    grid->addWidget(stop_time_, 5, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(grid);
    layout->addLayout(button_row({save_, cancel_}));

    connect(continuous_, &QRadioButton::clicked, this,
            [this] { interval_clicked(interval_kind::continuous); });
    connect(hours_option_, &QRadioButton::clicked, this,
            [this] { interval_clicked(interval_kind::hours); });
    connect(minutes_option_, &QRadioButton::clicked, this,
            [this] { interval_clicked(interval_kind::minutes); });
    connect(stop_enabled_, &QCheckBox::clicked, this, &ScheduleDialog::stop_clicked);
    connect(hours_, &QLineEdit::textChanged, this, &ScheduleDialog::apply_enabling);
    connect(minutes_, &QLineEdit::textChanged, this, &ScheduleDialog::apply_enabling);
    connect(save_, &QPushButton::clicked, this, &ScheduleDialog::save_pressed);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    MeasurementSchedule schedule;
    if (read_schedule(link_, schedule) != protocol::status::ok) {
        ui::show_message(parent, "Load Schedule", "Unable to retrieve schedule from sensor",
                         ui::PromptIcon::error);
        return;
    }
    if (schedule.version < schedule_version_supported) {
        ui::show_message(parent, "Load Schedule",
                         "Unable to get schedule because your sensor's firmware is too old for "
                         "this version of the GUI.",
                         ui::PromptIcon::error);
        return;
    }
    loaded_ = true;
    show_form(form_from_schedule(schedule));
}

ScheduleForm ScheduleDialog::read_controls() const {
    ScheduleForm f;
    f.version = version_;
    f.start_time = read_pickers(start_date_, start_time_).value_or(0);
    f.kind = hours_option_->isChecked()     ? interval_kind::hours
             : minutes_option_->isChecked() ? interval_kind::minutes
                                            : interval_kind::continuous;
    f.hours = hours_->text().toStdString();
    f.minutes = minutes_->text().toStdString();
    f.stop_enabled = stop_enabled_->isChecked();
    f.stop_time = read_pickers(stop_date_, stop_time_).value_or(0);
    return f;
}

void ScheduleDialog::show_form(const ScheduleForm& f) {
    version_ = f.version;
    set_pickers(start_date_, start_time_, f.start_time);
    QRadioButton* option = f.kind == interval_kind::hours     ? hours_option_
                           : f.kind == interval_kind::minutes ? minutes_option_
                                                              : continuous_;
    option->setChecked(true);
    hours_->setText(QString::fromStdString(f.hours));
    minutes_->setText(QString::fromStdString(f.minutes));
    stop_enabled_->setChecked(f.stop_enabled);
    set_pickers(stop_date_, stop_time_, f.stop_enabled ? f.stop_time : 0);
    apply_enabling();
}

void ScheduleDialog::apply_enabling() {
    const ScheduleEnabling e = schedule_enabling(read_controls());
    stop_date_->setEnabled(e.stop_pickers);
    stop_time_->setEnabled(e.stop_pickers);
    hours_->setEnabled(e.hours_box);
    minutes_->setEnabled(e.minutes_box);
    mark_red(hours_, e.hours_red);
    mark_red(minutes_, e.minutes_red);
    save_->setEnabled(e.save);
}

void ScheduleDialog::interval_clicked(std::uint8_t kind) {
    show_form(choose_interval(read_controls(), kind));
}

void ScheduleDialog::stop_clicked() {
    show_form(toggle_stop_time(read_controls(), stop_enabled_->isChecked()));
}

void ScheduleDialog::save_pressed() {
    const MeasurementSchedule edited = schedule_from_form(read_controls());
    MeasurementSchedule read_back;
    if (write_schedule(link_, edited) != protocol::status::ok ||
        read_schedule(link_, read_back) != protocol::status::ok) {
        ui::show_message(this, "Save", "Unable to save schedule to sensor", ui::PromptIcon::error);
        return;
    }
    show_form(form_from_schedule(read_back));
    ScheduleTiming timing;
    const auto s = read_schedule_timing(link_, timing);
    ui::show_message(this, "Save", QString::fromStdString(schedule_saved_message(s, timing)));
}

void run_schedule_dialog(QWidget* parent, link::SensorLink& link) {
    ScheduleDialog dialog(link, parent);
    if (dialog.loaded())
        dialog.exec();
}

}  // namespace quelmar::config
