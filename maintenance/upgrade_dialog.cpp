#include "maintenance/upgrade_dialog.h"

#include <QHBoxLayout>
#include <QMetaObject>
#include <QPointer>
#include <QVBoxLayout>

#include "ui/prompts.h"

namespace quelmar::maintenance {

namespace {
constexpr int dialog_done = 1;
constexpr int dialog_not_done = 2;
}  // namespace

UpgradeDialog::UpgradeDialog(link::SensorLink& link, bool bootloader, QString path, QWidget* parent)
    : QDialog(parent),
      link_(link),
      bootloader_(bootloader),
      path_(std::move(path)),
      status_(new QLabel(this)),
      cancel_(new QPushButton("Cancel", this)) {
    setWindowTitle(bootloader ? "Upgrade Bootloader" : "Upgrade Firmware");
    setModal(true);
    status_->setMinimumWidth(status_->fontMetrics().averageCharWidth() * 40);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &UpgradeDialog::cancel_pressed);
}

UpgradeDialog::~UpgradeDialog() { worker_.stop(); }

bool UpgradeDialog::start() {
    // The worker never touches a widget: what it reports is handed to this dialog's thread,
    // and dropped if the dialog has gone.
    QPointer<UpgradeDialog> self(this);
    const bool started = worker_.start(
        link_, path_.toStdString(), bootloader_ ? bootloader_target_address : firmware_target_address,
        [self](std::uint32_t bytes) {
            QMetaObject::invokeMethod(
                self.data(), [self, bytes] { if (self) self->progress(bytes); }, Qt::QueuedConnection);
        },
        [self](const UpgradeOutcome& outcome) {
            QMetaObject::invokeMethod(
                self.data(), [self, outcome] { if (self) self->finished(outcome); }, Qt::QueuedConnection);
        });
    if (!started) ui::show_message(parentWidget(), "Upgrade", "Failed to start upgrade", ui::PromptIcon::error);
    return started;
}

void UpgradeDialog::progress(std::uint32_t bytes) {
    if (!closing_) status_->setText(QString::fromStdString(upgrade_progress_text(bytes)));
}

void UpgradeDialog::finished(const UpgradeOutcome& outcome) {
    if (closing_) return;
    closing_ = true;
    const QString text = QString::fromStdString(upgrade_outcome_text(outcome));
    status_->setText(text);
    ui::show_message(this, "Upgrade", text,
                     outcome.result == 0 ? ui::PromptIcon::information : ui::PromptIcon::error);
    done(outcome.result == 0 ? dialog_done : dialog_not_done);
}

void UpgradeDialog::cancel_pressed() {
    if (closing_) return;
    if (!worker_.running()) {
        closing_ = true;
        done(dialog_not_done);
        return;
    }
    if (bootloader_) {
        ui::show_message(this, "Cancel", bootloader_cancel_refused_text, ui::PromptIcon::warning);
        return;
    }
    if (!ui::ask_yes_no(this, "Cancel", firmware_cancel_question)) return;
    // The question took a while: the upgrade may have ended meanwhile, and its result stands.
    if (closing_) return;
    closing_ = true;
    status_->setText("Stopping...");
    worker_.cancel();
    done(dialog_not_done);
}

void UpgradeDialog::reject() { cancel_pressed(); }

int run_upgrade_dialog(QWidget* parent, link::SensorLink& link, std::uint32_t mode) {
    bool bootloader = false;
    QString path;
    if (mode == upgrade_bootloader_mode) {
        if (!ui::ask_yes_no(parent, "Upgrade Bootloader", bootloader_warning_text)) return dialog_not_done;
        bootloader = true;
        path = ui::choose_open_file(parent, "Bootloader Binary File", "Bootloader Binary Files (*.bin)");
    } else if (mode == upgrade_firmware_mode) {
        path = ui::choose_open_file(parent, "Firmware Binary File", "Firmware Binary Files (*.bin)");
    } else {
        return dialog_not_done;
    }
    if (path.isEmpty()) return dialog_not_done;
    UpgradeDialog dialog(link, bootloader, path, parent);
    if (!dialog.start()) return dialog_not_done;
    return dialog.exec();
}

}  // namespace quelmar::maintenance
