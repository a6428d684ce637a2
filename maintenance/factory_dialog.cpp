#include "maintenance/factory_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "maintenance/upgrade_dialog.h"
#include "protocol/device_commands.h"
#include "ui/prompts.h"

namespace quelmar::maintenance {

namespace {

UpgradeOpener& upgrade_opener() {
    static UpgradeOpener opener;
    return opener;
}

QString number_text(unsigned v) {
    return QString::number(v);
}

std::uint32_t field_number(const QLineEdit* field) {
    return read_factory_number(field->text().toStdString());
}

}  // namespace

void set_factory_upgrade_opener(UpgradeOpener opener) {
    upgrade_opener() = std::move(opener);
}

void open_factory_upgrade(QWidget* parent, link::SensorLink& link, std::uint8_t mode) {
    if (upgrade_opener())
        upgrade_opener()(parent, link, mode);
    else
        run_upgrade_dialog(parent, link, mode);
}

FactoryDialog::FactoryDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent),
      link_(link),
      password_(new QLineEdit(this)),
      name_(new QLineEdit(this)),
      serial_(new QLineEdit(this)),
      board_serial_(new QLineEdit(this)),
      flash_save_(new QPushButton("Save", this)),
      fram_serial_(new QLineEdit(this)),
      stroke_meter_(new QLineEdit(this)),
      reset_(new QPushButton("0", this)),
      fram_save_(new QPushButton("Save", this)),
      driver_serial_(new QLineEdit(this)),
      driver_save_(new QPushButton("Save", this)),
      upgrade_(new QPushButton("Upgrade...", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setWindowTitle("Factory Settings");
    password_->setMaxLength(int(password_field_length));
    password_->setEchoMode(QLineEdit::Password);
    name_->setMaxLength(int(protocol::sensor_name_max));

    auto* access = new QGroupBox("Access Control", this);
    auto* access_form = new QFormLayout(access);
    access_form->addRow("Maintenance Password", password_);

    auto* flash = new QGroupBox("Processing Board (FLASH)", this);
    auto* flash_form = new QFormLayout(flash);
    flash_form->addRow("Sensor Name", name_);
    flash_form->addRow("Sensor Serial Number", serial_);
    flash_form->addRow("Processing Board Serial Number", board_serial_);
    flash_form->addRow(QString(), flash_save_);

    auto* fram = new QGroupBox("Processing Board (FRAM)", this);
    auto* fram_form = new QFormLayout(fram);
    fram_form->addRow("Processing Board Serial Number (obsolete)", fram_serial_);
    auto* meter_row = new QHBoxLayout;
    meter_row->addWidget(stroke_meter_, 1);
    reset_->setFixedWidth(reset_->fontMetrics().horizontalAdvance("00") + 16);
    meter_row->addWidget(reset_);
    fram_form->addRow("Pump Stroke Meter", meter_row);
    fram_form->addRow(QString(), fram_save_);

    auto* driver = new QGroupBox("Driver Board (NVRAM)", this);
    auto* driver_form = new QFormLayout(driver);
    driver_form->addRow("Driver Board Serial Number", driver_serial_);
    driver_form->addRow(QString(), driver_save_);

    auto* boot = new QGroupBox("Bootloader", this);
    auto* boot_row = new QHBoxLayout(boot);
    boot_row->addWidget(upgrade_);
    boot_row->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* g :
         {static_cast<QWidget*>(access), static_cast<QWidget*>(flash), static_cast<QWidget*>(fram),
          static_cast<QWidget*>(driver), static_cast<QWidget*>(boot)})
        layout->addWidget(g);
    layout->addLayout(buttons);

    connect(password_, &QLineEdit::textChanged, this, [this] { apply_password_rule(); });
    connect(flash_save_, &QPushButton::clicked, this, &FactoryDialog::flash_save_pressed);
    connect(fram_save_, &QPushButton::clicked, this, &FactoryDialog::fram_save_pressed);
    connect(driver_save_, &QPushButton::clicked, this, &FactoryDialog::driver_save_pressed);
    connect(reset_, &QPushButton::clicked, this, [this] { stroke_meter_->setText("0"); });
    connect(upgrade_, &QPushButton::clicked, this, &FactoryDialog::upgrade_pressed);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    apply_password_rule();
    loaded_ = read_factory_settings(link_, settings_);
    if (!loaded_) {
        ui::show_message(this, "Factory Settings",
                         "Unable to retrieve factory settings from sensor", ui::PromptIcon::error);
        return;
    }
    show_flash();
    if (settings_.available.fram)
        show_fram();
    if (settings_.available.driver_board)
        show_driver();
    reset_->setToolTip("Reset Pump Stroke Meter To Zero");
    apply_password_rule();
}

void FactoryDialog::show_flash() {
    name_->setText(QString::fromStdString(settings_.identity.name_text()));
    serial_->setText(number_text(settings_.identity.serial_number));
    board_serial_->setText(number_text(settings_.identity.board_serial_number));
}

void FactoryDialog::show_fram() {
    fram_serial_->setText(number_text(settings_.fram.board_serial_number));
    stroke_meter_->setText(number_text(settings_.fram.stroke_meter));
}

void FactoryDialog::show_driver() {
    driver_serial_->setText(number_text(settings_.nvram.driver_serial_number));
}

void FactoryDialog::apply_password_rule() {
    const FactoryEnabling e = factory_enabling(
        maintenance_password_matches(password_->text().toStdString()), settings_.available);
    for (QWidget* w : {static_cast<QWidget*>(name_), static_cast<QWidget*>(serial_),
                       static_cast<QWidget*>(board_serial_), static_cast<QWidget*>(flash_save_)})
        w->setEnabled(e.flash);
    for (QWidget* w : {static_cast<QWidget*>(fram_serial_), static_cast<QWidget*>(stroke_meter_),
                       static_cast<QWidget*>(reset_), static_cast<QWidget*>(fram_save_)})
        w->setEnabled(e.fram);
    driver_serial_->setEnabled(e.driver_board);
    driver_save_->setEnabled(e.driver_board);
    upgrade_->setEnabled(e.upgrade);
}

void FactoryDialog::flash_save_pressed() {
    const auto id = flash_identity(name_->text().toStdString(), field_number(serial_),
                                   field_number(board_serial_));
    protocol::DeviceIdentity back;
    const bool ok = protocol::write_identity(link_, id) == protocol::status::ok &&
                    protocol::read_identity(link_, back) == protocol::status::ok;
    if (ok) {
        settings_.identity = back;
        show_flash();
        ui::show_message(this, "Save (Processing Board FLASH)",
                         "Saved Processing Board FLASH settings to sensor");
    } else {
        ui::show_message(this, "Save (Processing Board FLASH)",
                         "Unable to save Processing Board FLASH settings to sensor",
                         ui::PromptIcon::error);
    }
}

void FactoryDialog::fram_save_pressed() {
    const auto record = fram_record(field_number(fram_serial_), field_number(stroke_meter_));
    FramRecord back;
    const bool ok = write_fram(link_, record) == protocol::status::ok &&
                    read_fram(link_, back) == protocol::status::ok;
    if (ok) {
        settings_.fram = back;
        show_fram();
        ui::show_message(this, "Save (Processing Board FRAM)",
                         "Saved Processing Board FRAM settings to sensor");
    } else {
        ui::show_message(this, "Save (Processing Board FRAM)",
                         "Unable to save Processing Board FRAM settings to sensor",
                         ui::PromptIcon::error);
    }
}

void FactoryDialog::driver_save_pressed() {
    const auto record = nvram_record(field_number(driver_serial_));
    NvramRecord back;
    const bool ok = write_nvram(link_, record) == protocol::status::ok &&
                    read_nvram(link_, back) == protocol::status::ok;
    if (ok) {
        settings_.nvram = back;
        show_driver();
        ui::show_message(this, "Save (Driver Board NVRAM)",
                         "Saved Driver Board NVRAM settings to sensor");
    } else {
        ui::show_message(this, "Save (Driver Board NVRAM)",
                         "Unable to save Driver Board NVRAM settings to sensor",
                         ui::PromptIcon::error);
    }
}

void FactoryDialog::upgrade_pressed() {
    open_factory_upgrade(this, link_, settings_.kind.mode);
}

void run_factory_dialog(QWidget* parent, link::SensorLink& link) {
    FactoryDialog dialog(link, parent);
    if (dialog.loaded())
        dialog.exec();
}

}  // namespace quelmar::maintenance
