#include "live/graph_painting.h"

#include <QString>

namespace quelmar::live {

QFont graph_font() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void paint_graph_frame(QPainter& painter, int width, int height) {
    const QColor grey = to_qcolor(frame_grey);
    painter.fillRect(0, 0, width, 2, grey);
    painter.fillRect(0, height - 2, width, 2, grey);
    painter.fillRect(0, 0, 2, height, grey);
    painter.fillRect(width - 2, 0, 2, height, grey);
    painter.fillRect(0, height - 1, width, 1, to_qcolor(white));
}

void paint_graph_texts(QPainter& painter, const std::vector<PlotText>& texts) {
    painter.setPen(to_qcolor(white));
    for (const PlotText& t : texts) {
        int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
        switch (t.align) {
            case TextAlign::left:
                flags |= Qt::AlignLeft;
                break;
            case TextAlign::centre:
                flags |= Qt::AlignHCenter;
                break;
            case TextAlign::right:
                flags |= Qt::AlignRight;
                break;
        }
        QRect box(t.box.left, t.box.top, t.box.right - t.box.left, t.box.bottom - t.box.top);
        painter.drawText(box, flags, QString::fromStdString(t.text));
    }
}

}  // namespace quelmar::live
