#pragma once
// What the settings dialogs share: each reads its record when it is made, refuses to open with
// its own message when that read failed, and reports a Save the same way.

#include <QWidget>

#include "link/sensor_link.h"
#include "ui/prompts.h"

namespace quelmar::config {

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
