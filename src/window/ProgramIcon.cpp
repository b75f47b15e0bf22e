#include "ProgramIcon.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace nerimo {

QPixmap ProgramPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // A grid of four cells each way, like the plot's.
    painter.setPen(QColor(96, 96, 96));
    const int cell = size / 4;
    for (int i = 0; i <= 4; ++i) {
        const int at = std::min(i * cell, size - 1);
        painter.drawLine(at, 0, at, size - 1);
        painter.drawLine(0, at, size - 1, at);
    }

    // The trace: a low noise floor, one tall signal, a smaller one. Points in eighths of the size.
    static constexpr int kTrace[][2] = {{0, 7}, {1, 6}, {2, 7}, {3, 1}, {4, 7},
                                        {5, 6}, {6, 4}, {7, 6}, {8, 7}};
    QPolygon trace;
    for (const auto& point : kTrace) {
        trace << QPoint(std::min(point[0] * size / 8, size - 1), point[1] * size / 8);
    }
    painter.setPen(QPen(QColor(0, 255, 0), size >= 32 ? std::max(2, size / 32) : 1));
    painter.drawPolyline(trace);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    icon.addPixmap(ProgramPixmap(16));
    icon.addPixmap(ProgramPixmap(32));
    return icon;
}

}  // namespace nerimo
