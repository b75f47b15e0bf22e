#include "SurfaceWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace nerimo::platform {

SurfaceWidget::SurfaceWidget(QWidget* parent, QRgb background)
    : QWidget(parent), background_(background) {
    // The image covers every pixel, so Qt need not clear the widget before painting it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::SetPixelSize(int width, int height) {
    setFixedSize(width, height);
    image_ = QImage(width, height, QImage::Format_RGB32);
    Erase();
}

void SurfaceWidget::Erase() {
    image_.fill(background_);
    drawn_ = image_.rect();
}

void SurfaceWidget::DrawLine(int x1, int y1, int x2, int y2, QRgb color) {
    // Bresenham, so the pixels are exactly the ones of the integer line, ends included.
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1;
    int y = y1;
    const QRect bounds = image_.rect();
    for (;;) {
        if (bounds.contains(x, y)) {
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = color;
        }
        if (x == x2 && y == y2) {
            break;
        }
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y += sy;
        }
    }
    drawn_ |= QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                    QPoint(std::max(x1, x2), std::max(y1, y2)));
}

void SurfaceWidget::Present() {
    // Only what was drawn is repainted.
    if (!drawn_.isEmpty()) {
        update(drawn_);
        drawn_ = QRect();
    }
}

QRgb SurfaceWidget::PixelAt(int x, int y) const {
    return image_.pixel(x, y) | 0xff000000u;
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

}  // namespace nerimo::platform
