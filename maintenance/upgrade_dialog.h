#pragma once
// "Upgrade Firmware" / "Upgrade Bootloader": the image file is chosen, then a worker sends it
// while this small dialog shows how far it has got. A bootloader upgrade cannot be cancelled;
// a firmware upgrade can, after a question, and must then be done again.

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "link/sensor_link.h"
#include "maintenance/upgrade_transfer.h"

namespace quelmar::maintenance {

// The mode the dialog is opened with is the sensor's: 1 its bootloader runs (a firmware image
// is written), 2 its firmware runs (a bootloader image is written, after a warning).
constexpr std::uint32_t upgrade_firmware_mode = 1;
constexpr std::uint32_t upgrade_bootloader_mode = 2;

constexpr const char* bootloader_warning_text =
    "A bootloader upgrade must be allowed to complete or the sensor will need to be returned to "
    "Stillmarsh Sensors for repair. Are you sure you want to do this?";
constexpr const char* bootloader_cancel_refused_text =
    "You must let this operation complete or you will have to return the sensor to Stillmarsh "
    "Sensors for repair.";
constexpr const char* firmware_cancel_question =
    "If you interrupt the upgrade now you will need to re-do it later to be able to use the sensor "
    "again.\nStop the upgrade now?";

class UpgradeDialog : public QDialog {
    Q_OBJECT
public:
    UpgradeDialog(link::SensorLink& link, bool bootloader, QString path, QWidget* parent);
    ~UpgradeDialog() override;

    // Starts the worker; false (after telling the user) when it cannot be started.
    bool start();
    QLabel* status_line() const { return status_; }
    QPushButton* cancel_button() const { return cancel_; }
    void cancel_pressed();
    void reject() override;  // Escape and the window's close button count as Cancel

private:
    void progress(std::uint32_t bytes);
    void finished(const UpgradeOutcome& outcome);

    link::SensorLink& link_;
    const bool bootloader_;
    const QString path_;
    QLabel* status_;
    QPushButton* cancel_;
    bool closing_ = false;
    UpgradeWorker worker_;  // last: stopped before the widgets go
};

// The whole upgrade: questions, file choice, transfer. 1 when the image was taken, 2 when the
// user declined, chose no file or the upgrade failed or was cancelled.
int run_upgrade_dialog(QWidget* parent, link::SensorLink& link, std::uint32_t mode);

}  // namespace quelmar::maintenance
