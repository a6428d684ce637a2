#pragma once
// Fills a combo box with the texts of a configuration list, in its order.

#include <QComboBox>
#include <span>

#include "config/choices.h"

namespace quelmar::config {

void fill_choices(QComboBox* box, std::span<const Choice> choices);

}  // namespace quelmar::config
