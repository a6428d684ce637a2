#include "config/settings_dialog.h"

#include "config/typed_fields.h"

namespace quelmar::config {

void show_save_outcome(QWidget* parent, bool saved) {
    ui::show_message(parent, save_caption, saved ? settings_saved_text : save_failed_text,
                     saved ? ui::PromptIcon::information : ui::PromptIcon::error);
}

}  // namespace quelmar::config
