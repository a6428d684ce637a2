#include "config/settings_dialog.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/typed_fields.h"

namespace quelmar::config {

QHBoxLayout* button_row(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

void lay_out_form_dialog(QDialog* dialog, QLayout* fields, QPushButton* save,
                         QPushButton* close) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addLayout(button_row({save, close}));
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::reject);
}

void show_save_outcome(QWidget* parent, bool saved) {
    ui::show_message(parent, save_caption, saved ? settings_saved_text : save_failed_text,
                     saved ? ui::PromptIcon::information : ui::PromptIcon::error);
}

}  // namespace quelmar::config
