#include "PixelBuffer.h"

#include <algorithm>

#include "LinePixels.h"

namespace nerimo {

PixelBuffer::PixelBuffer(int width, int height, Rgb background)
    : width_(width),
      height_(height),
      background_(background),
      pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), background) {}

void PixelBuffer::Erase() {
    std::fill(pixels_.begin(), pixels_.end(), background_);
}

void PixelBuffer::DrawLine(int x1, int y1, int x2, int y2, Rgb color) {
    ForEachLinePixel(x1, y1, x2, y2, [&](int x, int y) {
        if (x >= 0 && x < width_ && y >= 0 && y < height_) {
            pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] =
                color;
        }
    });
}

}  // namespace nerimo
