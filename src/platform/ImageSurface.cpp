#include "ImageSurface.h"

#include "LinePixels.h"

namespace nerimo::platform {

void ImageSurface::SetPixelSize(int width, int height) {
    image_ = QImage(width, height, QImage::Format_RGB32);
    Erase();
}

void ImageSurface::Erase() {
    image_.fill(background_);
}

void ImageSurface::DrawLine(int x1, int y1, int x2, int y2, Rgb color) {
    const QRect bounds = image_.rect();
    ForEachLinePixel(x1, y1, x2, y2, [&](int x, int y) {
        if (bounds.contains(x, y)) {
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = color;
        }
    });
}

Rgb ImageSurface::PixelAt(int x, int y) const {
    return image_.pixel(x, y) | 0xff000000u;
}

}  // namespace nerimo::platform
