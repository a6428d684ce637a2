#include "config/clock_dialog.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMetaObject>
#include <QPointer>
#include <QTimeZone>
#include <QVBoxLayout>
#include <chrono>

#include "config/clock_record.h"
#include "ui/prompts.h"

namespace quelmar::config {

ClockDialog::ClockDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent),
      link_(link),
      face_(new ClockFaceWidget(this)),
      this_time_(new QRadioButton("To This Date/Time", this)),
      pc_time_(new QRadioButton("To PC's Clock Time", this)),
      date_(new QDateEdit(this)),
      time_(new QTimeEdit(this)),
      set_now_(new QPushButton("Set Now", this)),
      close_(new QPushButton("Close", this)) {
    setWindowTitle("Configure Sensor's Real Time Clock");
    pc_now = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    this_time_->setToolTip("Set sensor's RTC to this time when you hit Set Now");
    pc_time_->setToolTip("Set sensor's RTC to this PC's time (as UTC) when you hit Set Now");
    set_now_->setToolTip("Set the RTC time now");
    this_time_->setChecked(true);
    date_->setDisplayFormat("dd/MM/yyyy");
    date_->setCalendarPopup(true);
    time_->setDisplayFormat("HH:mm:ss");
    const QDateTime now = QDateTime::currentDateTime();
    date_->setDate(now.date());
    time_->setTime(now.time());

    auto* group = new QGroupBox("Set Time", this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(this_time_, 0, 0);
    grid->addWidget(date_, 0, 1);
    grid->addWidget(time_, 0, 2);
    grid->addWidget(pc_time_, 1, 0);
    grid->addWidget(set_now_, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(face_);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(this_time_, &QRadioButton::toggled, this, &ClockDialog::option_toggled);
    connect(set_now_, &QPushButton::clicked, this, &ClockDialog::set_now_pressed);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    option_toggled();

    // The worker only hands the text over; the face is drawn on this dialog's thread.
    QPointer<ClockDialog> self(this);
    worker_ = std::make_unique<ClockDisplayWorker>(link_, [self](const std::string& text) {
        const QString q = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            self.data(),
            [self, q] {
                if (self)
                    self->show_clock_text(q);
            },
            Qt::QueuedConnection);
    });
}

ClockDialog::~ClockDialog() {
    worker_.reset();
}

void ClockDialog::done(int result) {
    worker_.reset();
    QDialog::done(result);
}

void ClockDialog::show_clock_text(const QString& text) {
    face_->set_text(text);
}

void ClockDialog::option_toggled() {
    const bool picked = this_time_->isChecked();
    date_->setEnabled(picked);
    time_->setEnabled(picked);
}

void ClockDialog::set_now_pressed() {
    const QDate d = date_->date();
    const QTime t = time_->time();
    SensorClock picked;
    picked.year = static_cast<std::uint16_t>(std::clamp(d.year(), 0, 65535));
    picked.month = static_cast<std::uint8_t>(d.month());
    picked.day = static_cast<std::uint8_t>(d.day());
    picked.hour = static_cast<std::uint8_t>(t.hour());
    picked.minute = static_cast<std::uint8_t>(t.minute());
    picked.second = static_cast<std::uint8_t>(t.second());
    const auto clock = clock_for_set_now(pc_time_->isChecked(), picked, pc_now());
    if (!clock) {
        ui::show_message(this, "Save",
                         "Unable to set RTC time: the date must lie between 1970 and 2038.",
                         ui::PromptIcon::error);
        return;
    }
    if (write_sensor_clock(link_, *clock) != protocol::status::ok) {
        ui::show_message(this, "Save", "Failed to set RTC time", ui::PromptIcon::error);
        return;
    }
    if (worker_)
        worker_->wake();
}

void run_clock_dialog(QWidget* parent, link::SensorLink& link) {
    ClockDialog dialog(link, parent);
    dialog.exec();
}

}  // namespace quelmar::config
