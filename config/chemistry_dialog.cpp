#include "config/chemistry_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/chemistry_generic_page.h"
#include "config/chemistry_nutrient_page.h"
#include "config/chemistry_ph_page.h"
#include "config/settings_dialog.h"
#include "protocol/sensor_status.h"
#include "ui/prompts.h"

namespace quelmar::config {

namespace status = protocol::status;

namespace {
constexpr const char* title = "Configure Chemistry";
}

ChemistryDialog::ChemistryDialog(link::SensorLink& link, ChemistryBuffers& buffers, QWidget* parent)
    : QDialog(parent),
      link_(link),
      buffers_(buffers),
      tabs_(new QTabWidget(this)),
      save_(new QPushButton("Save", this)) {
    setWindowTitle(title);
    auto* top = new QVBoxLayout(this);
    top->addWidget(tabs_);
    top->addLayout(button_row({save_}));
    connect(save_, &QPushButton::clicked, this, &ChemistryDialog::save_pressed);

    // Shown before anything is read, and on its own: the user is about to change how the
    // sensor measures.
    ui::show_message(nullptr, "Warning",
                     "Changing settings in this\nmenu can cause the\nsensor to malfunction",
                     ui::PromptIcon::warning);

    const ChemistryPage* found = nullptr;
    const SensorStatus s = load_chemistry(link_, buffers_, found);
    if (s == status::wrong_record_length) {
        // A chemistry no page edits, or firmware that refuses the record: start from the
        // Generic defaults; saving makes the sensor a Generic one.
        ui::show_message(this, title,
                         "Failed to load chemistry config: please see View/Compatibility",
                         ui::PromptIcon::error);
        current_ = generic_page();
        create_page();
        page_widget_->default_configuration(true, &buffers_.config);
        page_widget_->default_parameters(parameter_buffer(buffers_, current_.layout));
    } else if (s != status::ok) {
        ui::show_message(this, title, "Failed to load chemistry config", ui::PromptIcon::error);
        return;
    } else {
        current_ = *found;
        create_page();
        page_widget_->load_configuration(true, buffers_.config);
        page_widget_->load_parameters(parameter_buffer(buffers_, current_.layout));
    }
    opened_ = true;
}

void ChemistryDialog::create_page() {
    switch (current_.layout) {
        case PageLayout::generic:
            page_widget_ = new GenericChemistryPage(current_, nullptr);
            break;
        case PageLayout::nutrient:
            page_widget_ = new NutrientChemistryPage(current_, nullptr);
            break;
        case PageLayout::ph:
            page_widget_ = new PhChemistryPage(current_, nullptr);
            break;
    }
    connect(page_widget_, &ChemistryPageWidget::save_allowed, save_, &QPushButton::setEnabled);
    // The page sits at the top of the tab, centred across it.
    auto* holder = new QWidget;
    auto* row = new QHBoxLayout(holder);
    auto* column = new QVBoxLayout;
    column->addWidget(page_widget_);
    column->addStretch();
    row->addStretch();
    row->addLayout(column);
    row->addStretch();
    tabs_->addTab(holder, current_.name);
}

void ChemistryDialog::save_pressed() {
    if (!page_widget_)
        return;
    page_widget_->store_configuration(buffers_.config);
    page_widget_->store_parameters(parameter_buffer(buffers_, current_.layout));
    SensorStatus s = save_chemistry(link_, buffers_, current_);
    if (s == status::ok) {
        // Read back what the sensor now holds; the page stays the one being edited.
        const ChemistryPage* found = nullptr;
        s = load_chemistry(link_, buffers_, found);
    }
    if (s != status::ok) {
        ui::show_message(this, "Save", "Failed to save settings", ui::PromptIcon::error);
        return;
    }
    ui::show_message(this, "Save", QString("%1 Processing configuration saved").arg(current_.name));
    page_widget_->load_configuration(true, buffers_.config);
    page_widget_->load_parameters(parameter_buffer(buffers_, current_.layout));
}

bool run_chemistry_dialog(QWidget* parent, link::SensorLink& link) {
    // The last values read or written, kept for the whole run of the program.
    static ChemistryBuffers buffers;
    ChemistryDialog dialog(link, buffers, parent);
    if (!dialog.opened())
        return false;
    dialog.exec();
    return true;
}

}  // namespace quelmar::config
