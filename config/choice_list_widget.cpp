#include "config/choice_list_widget.h"

namespace quelmar::config {

void fill_choices(QComboBox* box, std::span<const Choice> choices) {
    for (const Choice& c : choices)
        box->addItem(QString::fromUtf8(c.text.data(), static_cast<qsizetype>(c.text.size())));
}

}  // namespace quelmar::config
