#pragma once
// "Factory Settings": what the sensor's boards store from production, behind the maintenance
// password. Opened from the connect view on the chosen device, whose link the caller opens.

#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "link/sensor_link.h"
#include "maintenance/factory_settings.h"

namespace quelmar::maintenance {

// Opens the upgrade dialog for a device in `mode` on an open link. A test may install a
// stand-in opener; without one the upgrade dialog itself opens.
using UpgradeOpener =
    std::function<void(QWidget* parent, link::SensorLink& link, std::uint8_t mode)>;
void set_factory_upgrade_opener(UpgradeOpener opener);
void open_factory_upgrade(QWidget* parent, link::SensorLink& link, std::uint8_t mode);

class FactoryDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads the settings; check loaded() before showing it.
    FactoryDialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }
    const FactoryAvailability& availability() const { return settings_.available; }

    QLineEdit* password_field() const { return password_; }
    QLineEdit* name_field() const { return name_; }
    QLineEdit* serial_field() const { return serial_; }
    QLineEdit* board_serial_field() const { return board_serial_; }
    QPushButton* flash_save_button() const { return flash_save_; }
    QLineEdit* fram_serial_field() const { return fram_serial_; }
    QLineEdit* stroke_meter_field() const { return stroke_meter_; }
    QPushButton* reset_button() const { return reset_; }
    QPushButton* fram_save_button() const { return fram_save_; }
    QLineEdit* driver_serial_field() const { return driver_serial_; }
    QPushButton* driver_save_button() const { return driver_save_; }
    QPushButton* upgrade_button() const { return upgrade_; }

    void flash_save_pressed();
    void fram_save_pressed();
    void driver_save_pressed();
    void upgrade_pressed();

  private:
    void apply_password_rule();
    void show_flash();
    void show_fram();
    void show_driver();

    link::SensorLink& link_;
    FactorySettings settings_;
    bool loaded_ = false;
    QLineEdit* password_;
    QLineEdit* name_;
    QLineEdit* serial_;
    QLineEdit* board_serial_;
    QPushButton* flash_save_;
    QLineEdit* fram_serial_;
    QLineEdit* stroke_meter_;
    QPushButton* reset_;
    QPushButton* fram_save_;
    QLineEdit* driver_serial_;
    QPushButton* driver_save_;
    QPushButton* upgrade_;
    QPushButton* cancel_;
};

// Opens the dialog modally on an open link, or says why it cannot.
void run_factory_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::maintenance
