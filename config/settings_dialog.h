#pragma once
// What the settings dialogs share: each reads its record when it is made, refuses to open with
// its own message when that read failed, reports a Save the same way, and lays out its buttons
// the same way.

#include <QWidget>

#include <initializer_list>

#include "link/sensor_link.h"
#include "ui/prompts.h"

class QDialog;
class QHBoxLayout;
class QLayout;
class QPushButton;

namespace quelmar::config {

// A row of buttons at the right edge, in the order given.
QHBoxLayout* button_row(std::initializer_list<QWidget*> buttons);

// The look every form-style settings dialog shares: its fields, then Save and Close at the
// right; Close rejects the dialog.
void lay_out_form_dialog(QDialog* dialog, QLayout* fields, QPushButton* save, QPushButton* close);

// "Settings saved" or "Failed to save settings", titled "Save".
void show_save_outcome(QWidget* parent, bool saved);

// Runs a dialog whose constructor read its record (`loaded()`); when that failed, shows
// `failure` titled `caption` instead.
template <class Dialog>
void run_settings_dialog(QWidget* parent, link::SensorLink& link, const char* caption,
                         const char* failure) {
    Dialog dialog(link, parent);
    if (!dialog.loaded()) {
        ui::show_message(parent, caption, failure, ui::PromptIcon::error);
        return;
    }
    dialog.exec();
}

}  // namespace quelmar::config
