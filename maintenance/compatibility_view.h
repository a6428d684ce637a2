#pragma once
// "COMPATIBILITY": whether the firmware in the sensor is safe to use with this program, with
// coloured advice, above the list of known releases with the sensor's own one picked out.

#include <QTreeWidget>

#include "ui/shell_view.h"

namespace quelmar::maintenance {

class CompatibilityView : public ui::ShellView {
    Q_OBJECT
public:
    // Reads the sensor's firmware version through the context's link once, when created.
    CompatibilityView(const ui::ShellContext& context, QWidget* parent);

    QTreeWidget* verdict_list() const { return verdict_; }
    QTreeWidget* release_list() const { return releases_; }

private:
    QTreeWidget* verdict_;
    QTreeWidget* releases_;
};

}  // namespace quelmar::maintenance
