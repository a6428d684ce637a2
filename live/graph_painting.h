#pragma once
// Drawing resources and steps both graph controls share: the text font, the frame, and the
// texts of a plot scene.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <vector>

#include "live/plot_scene.h"

namespace quelmar::live {

inline QColor to_qcolor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Arial, 15 pixels from the top of the tallest letter to the bottom of the lowest, medium weight.
QFont graph_font();

// The 2-pixel grey frame around a client area of width x height, with the white line along
// its bottom edge.
void paint_graph_frame(QPainter& painter, int width, int height);

// White single-line texts, each centred vertically in its box.
void paint_graph_texts(QPainter& painter, const std::vector<PlotText>& texts);

}  // namespace quelmar::live
