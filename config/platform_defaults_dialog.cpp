#include "config/platform_defaults_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/settings_dialog.h"
#include "config/typed_fields.h"
#include "config/rs232_dialog.h"
#include "ui/prompts.h"

namespace quelmar::config {

namespace {
QLineEdit* field(QWidget* parent, const char* tooltip, int max_length) {
    auto* f = new QLineEdit(parent);
    f->setToolTip(tooltip);
    f->setMaxLength(max_length);
    return f;
}
std::string text_of(const QLineEdit* f) { return f->text().toStdString(); }
QString shown(const std::string& s) { return QString::fromStdString(s); }
constexpr int integer_length = 11;
}  // namespace

PlatformDefaultsDialog::PlatformDefaultsDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), link_(link),
      dive_number_(field(this, "Platform-defined dive number", integer_length)),
      salinity_(field(this, "Current salinity from platform CTD", int(decimal_field_length))),
      temperature_(
          field(this, "Current temperature from platform CTD", int(decimal_field_length))),
      oxygen_(field(this, "Current dissolved oxygen from platform CTD",
                    int(decimal_field_length))),
      depth_(field(this, "Current depth from platform CTD", int(decimal_field_length))),
      direction_(new QComboBox(this)),
      time_offset_(field(this, "Offset from sensor RTC time to platform time", integer_length)),
      save_(new QPushButton("Save", this)), close_(new QPushButton("Close", this)) {
    setWindowTitle("Configure Platform Defaults");
    fill_choices(direction_, direction_choices);
    direction_->setToolTip("Current direction of vertical travel (if any)");
    for (auto& p : parameters_) p = field(this, "Platform-defined parameter", integer_length);

    auto* form = new QFormLayout;
    form->addRow("Dive Number", dive_number_);
    form->addRow("Salinity (PSU)", salinity_);
    form->addRow(QString::fromUtf8("Temperature (°C)"), temperature_);
    form->addRow("Dissolved Oxygen (ml/l)", oxygen_);
    form->addRow("Depth (m)", depth_);
    form->addRow("Direction", direction_);
    form->addRow("Time Offset (s)", time_offset_);
    form->addRow("P1", parameters_[0]);
    form->addRow("P2", parameters_[1]);
    form->addRow("P3", parameters_[2]);
    lay_out_form_dialog(this, form, save_, close_);

    connect(save_, &QPushButton::clicked, this, &PlatformDefaultsDialog::save_pressed);

    PlatformDefaults config;
    loaded_ = read_platform_defaults(link_, config) == protocol::status::ok;
    if (loaded_) show_record(config);
}

void PlatformDefaultsDialog::show_record(const PlatformDefaults& config) {
    const PlatformDefaultsText t = platform_defaults_text(config);
    dive_number_->setText(shown(t.dive_number));
    salinity_->setText(shown(t.salinity));
    temperature_->setText(shown(t.temperature));
    oxygen_->setText(shown(t.oxygen));
    depth_->setText(shown(t.depth));
    direction_->setCurrentIndex(int(t.direction));
    time_offset_->setText(shown(t.time_offset));
    for (std::size_t i = 0; i < parameters_.size(); ++i)
        parameters_[i]->setText(shown(t.parameters[i]));
}

void PlatformDefaultsDialog::save_pressed() {
    PlatformDefaultsText t;
    t.dive_number = text_of(dive_number_);
    t.salinity = text_of(salinity_);
    t.temperature = text_of(temperature_);
    t.oxygen = text_of(oxygen_);
    t.depth = text_of(depth_);
    t.direction = std::size_t(direction_->currentIndex());
    t.time_offset = text_of(time_offset_);
    for (std::size_t i = 0; i < parameters_.size(); ++i) t.parameters[i] = text_of(parameters_[i]);
    const PlatformDefaults edited = platform_defaults_from_text(t);
    PlatformDefaults read_back;
    const bool saved =
        save_then_read_back([&] { return write_platform_defaults(link_, edited); },
                            [&] { return read_platform_defaults(link_, read_back); });
    if (saved) show_record(read_back);
    show_save_outcome(this, saved);
}

void run_platform_defaults_dialog(QWidget* parent, link::SensorLink& link) {
    run_settings_dialog<PlatformDefaultsDialog>(parent, link, "PLATFORM Configuration",
                                                "Unable to retrieve PLATFORM settings from device");
}

}  // namespace quelmar::config
