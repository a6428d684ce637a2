#pragma once
// "Sensor Firmware Restart Log (last 10 restarts)": the firmware's restart history, newest
// first, read when the dialog opens.

#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>

#include "link/sensor_link.h"

namespace quelmar::maintenance {

class RestartsDialog : public QDialog {
    Q_OBJECT
  public:
    RestartsDialog(link::SensorLink& link, QWidget* parent);
    QTreeWidget* list() const { return list_; }

  private:
    QTreeWidget* list_;
    QPushButton* close_;
};

void run_restarts_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::maintenance
