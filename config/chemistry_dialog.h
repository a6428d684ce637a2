#pragma once
// "Configure Chemistry": one tab holding the page of the sensor's chemistry, and Save. It
// reads the configuration and parameters when it opens and writes them back on Save, then
// shows what the sensor holds afterwards.

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>

#include "config/chemistry_page.h"
#include "config/chemistry_settings.h"

namespace quelmar::link {
class SensorLink;
}

namespace quelmar::config {

class ChemistryDialog : public QDialog {
    Q_OBJECT
  public:
    // Warns, then loads. When loading failed outright the dialog has shown why and is not to
    // be shown (opened() is false). `buffers` outlives the dialog.
    ChemistryDialog(link::SensorLink& link, ChemistryBuffers& buffers, QWidget* parent);

    bool opened() const { return opened_; }
    ChemistryPageWidget* page_widget() const { return page_widget_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* save_button() const { return save_; }

    void save_pressed();

  private:
    void create_page();

    link::SensorLink& link_;
    ChemistryBuffers& buffers_;
    ChemistryPage current_ = generic_page();
    QTabWidget* tabs_;
    QPushButton* save_;
    ChemistryPageWidget* page_widget_ = nullptr;
    bool opened_ = false;
};

// The menu's command: opens the dialog modally. True when it was shown (the sensor's
// configuration may have changed).
bool run_chemistry_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
