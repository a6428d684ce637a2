#include "config/identity_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/settings_dialog.h"
#include "config/identity_settings.h"
#include "config/typed_fields.h"
#include "protocol/device_commands.h"
#include "ui/prompts.h"

namespace quelmar::config {

namespace {
// Room to type past the limits, so that the red warning can be seen rather than the box
// silently refusing the key.
constexpr int name_box_length = 64;
constexpr int serial_box_length = 20;

std::uint64_t typed_serial(const QLineEdit* f) { return typed_unsigned(f->text().toStdString()); }
}  // namespace

IdentityDialog::IdentityDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), link_(link), name_(new QLineEdit(this)), serial_(new QLineEdit(this)),
      save_(new QPushButton("Save", this)), close_(new QPushButton("Close", this)) {
    setWindowTitle("Configure Sensor Identification");
    name_->setToolTip("Sensor name to display in Connect view");
    name_->setMaxLength(name_box_length);
    serial_->setToolTip("Sensor serial number (engraved on microfluidic chip)");
    serial_->setMaxLength(serial_box_length);

    auto* form = new QFormLayout;
    form->addRow("Name", name_);
    form->addRow("Serial Number", serial_);
    lay_out_form_dialog(this, form, save_, close_);

    connect(name_, &QLineEdit::textChanged, this, &IdentityDialog::entries_changed);
    connect(serial_, &QLineEdit::textChanged, this, &IdentityDialog::entries_changed);
    connect(save_, &QPushButton::clicked, this, &IdentityDialog::save_pressed);

    protocol::DeviceIdentity identity;
    loaded_ = protocol::read_identity(link_, identity) == protocol::status::ok;
    if (loaded_) {
        // The sensor keeps its name as single-byte characters.
        name_->setText(QString::fromLatin1(identity.name_text()));
        serial_->setText(QString::number(identity.serial_number));
    }
    entries_changed();
}

bool IdentityDialog::name_marked() const {
    return identity_name_too_long(std::size_t(name_->text().size()));
}

bool IdentityDialog::serial_marked() const {
    return identity_serial_too_large(typed_serial(serial_));
}

void IdentityDialog::entries_changed() {
    name_->setStyleSheet(name_marked() ? "color: red;" : QString());
    serial_->setStyleSheet(serial_marked() ? "color: red;" : QString());
    save_->setEnabled(
        identity_save_enabled(std::size_t(name_->text().size()), typed_serial(serial_)));
}

void IdentityDialog::save_pressed() {
    const IdentitySaveResult result =
        save_identity(link_, name_->text().toLatin1().toStdString(), typed_serial(serial_));
    ui::show_message(this, save_caption, QString::fromStdString(result.message),
                     result.status == protocol::status::ok ? ui::PromptIcon::information
                                                           : ui::PromptIcon::error);
    // Unlike the other settings dialogs, this one is done once the sensor has answered.
    accept();
}

void run_identity_dialog(QWidget* parent, link::SensorLink& link) {
    run_settings_dialog<IdentityDialog>(parent, link, identity_open_caption,
                                        identity_open_failed_text);
}

}  // namespace quelmar::config
