#include "ImageSurface.h"

#include <algorithm>

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

void ImageSurface::DrawPixels(const Rgb* pixels, int width, int height) {
    const int columns = std::min(width, image_.width());
    for (int y = 0; y < std::min(height, image_.height()); ++y) {
        std::copy_n(pixels + static_cast<size_t>(y) * static_cast<size_t>(width), columns,
                    reinterpret_cast<QRgb*>(image_.scanLine(y)));
    }
}

Rgb ImageSurface::PixelAt(int x, int y) const {
    return image_.pixel(x, y) | 0xff000000u;
}

}  // namespace nerimo::platform
