#pragma once
// "Configure Sensor Identification": the sensor's name, as the connect view lists it, and the
// serial number engraved on its microfluidic chip.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "link/sensor_link.h"

namespace quelmar::config {

class IdentityDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the identity; check loaded() before showing the dialog.
    IdentityDialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }
    bool name_marked() const;
    bool serial_marked() const;

    QLineEdit* name_field() const { return name_; }
    QLineEdit* serial_field() const { return serial_; }
    QPushButton* save_button() const { return save_; }

private:
    void entries_changed();
    void save_pressed();

    link::SensorLink& link_;
    bool loaded_ = false;
    QLineEdit* name_;
    QLineEdit* serial_;
    QPushButton* save_;
    QPushButton* close_;
};

void run_identity_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
