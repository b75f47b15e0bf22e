#include "ImageSurface.h"

#include <cstdlib>

namespace nerimo::platform {

void ImageSurface::SetPixelSize(int width, int height) {
    image_ = QImage(width, height, QImage::Format_RGB32);
    Erase();
}

void ImageSurface::Erase() {
    image_.fill(background_);
}

void ImageSurface::DrawLine(int x1, int y1, int x2, int y2, QRgb color) {
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
}

QRgb ImageSurface::PixelAt(int x, int y) const {
    return image_.pixel(x, y) | 0xff000000u;
}

}  // namespace nerimo::platform
