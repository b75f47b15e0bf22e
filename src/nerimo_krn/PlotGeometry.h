#pragma once

#include <QRgb>
#include <cstdint>
#include <optional>

namespace nerimo {

// Where things stand on the plot and its scale strip, in pixels.
inline constexpr int kFirstPointX = 44;  // the first point of every sweep
inline constexpr int kLastPointX = 684;  // the last point of a full sweep
inline constexpr int kBaselineY = 339;   // level 0
inline constexpr int kGridRightX = 685;  // the baseline and horizontal grid lines end here
inline constexpr int kScaleTickBottomY = 10;
inline constexpr int16_t kScaleHeight = 15;  // the scale strip under the plot

// x pixels between two steps: 8 on the 1 MHz span, 1 on the 8 MHz span.
inline int16_t PixelsPerStepFor(int16_t spanMHz) {
    return spanMHz == 1 ? 8 : 1;
}

// The trace colour of a colour index; nothing outside 0..3.
inline std::optional<QRgb> TraceColor(int16_t colorIndex) {
    switch (colorIndex) {
        case 0:
            return qRgb(0, 255, 0);
        case 1:
            return qRgb(0, 255, 255);
        case 2:
            return qRgb(255, 140, 0);
        case 3:
            return qRgb(255, 255, 255);
        default:
            return std::nullopt;
    }
}

}  // namespace nerimo
