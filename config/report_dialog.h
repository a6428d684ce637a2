#pragma once
// "Sensor Configuration Log": the configuration report of the connected sensor, built once
// when the dialog opens; lines can be copied (context menu "Copy") or the whole report saved.

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "config/configuration_report.h"

namespace quelmar::config {

class ReportDialog : public QDialog {
    Q_OBJECT
  public:
    // `pc_time_utc`: the PC's time for the report's time section (seconds since 1970).
    ReportDialog(link::SensorLink& link, std::int64_t pc_time_utc, QWidget* parent);

    QListWidget* list() const { return list_; }
    QPushButton* save_button() const { return save_; }
    const ConfigurationReport& report() const { return report_; }

    void copy_selected();
    void save_pressed();

  private:
    void context_menu(const QPoint& at);

    ConfigurationReport report_;
    QListWidget* list_;
    QPushButton* save_;
    QPushButton* cancel_;
};

void run_report_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
