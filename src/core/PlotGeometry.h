#pragma once

#include <optional>

#include "Rgb.h"

namespace nerimo {

// Where things stand on the plot and its scale strip, in pixels.
inline constexpr int kPlotWidth = 720;
inline constexpr int kPlotHeight = 350;
inline constexpr int kScaleHeight = 15;   // the scale strip under the plot
inline constexpr int kLeftMargin = 36;    // the origin of the step axis
inline constexpr int kBottomMargin = 11;  // the origin of the level axis
inline constexpr int kFirstPointX = 44;   // the first point of every sweep
inline constexpr int kLastPointX = 684;   // the last point of a full sweep
inline constexpr int kBaselineY = 339;    // level 0
inline constexpr int kPixelsPerLevel = 21;
inline constexpr int kGridRightX = 685;  // the baseline and horizontal grid lines end here
inline constexpr int kScaleTickBottomY = 10;
// On the 8 MHz span the points start this much further right than the step count gives.
inline constexpr int kWideSpanShift = 7;

// x pixels between two steps: 8 on the 1 MHz span, 1 on the 8 MHz span.
constexpr int PixelsPerStepFor(int spanMHz) {
    return spanMHz == 1 ? 8 : 1;
}

// The x of a sweep's point at a step.
constexpr int StepX(int step, int pixelsPerStep) {
    return pixelsPerStep * (step + 1) + kLeftMargin + (pixelsPerStep == 1 ? kWideSpanShift : 0);
}

// The middle of a list's channel's bar, of `count` across the plot.
constexpr int ChannelMiddleX(int index, int count) {
    return kFirstPointX + int((2LL * index + 1) * (kLastPointX - kFirstPointX + 1) / (2LL * count));
}

// The hold traces' colours, apart from the four trace colours and from each other.
inline constexpr Rgb kMaxHoldColor = MakeRgb(255, 0, 255);  // magenta
inline constexpr Rgb kMinHoldColor = MakeRgb(0, 128, 255);  // blue
inline constexpr Rgb kAverageColor = MakeRgb(255, 255, 0);  // yellow

// The trace colour of a colour index; nothing outside 0..3.
inline std::optional<Rgb> TraceColor(int colorIndex) {
    switch (colorIndex) {
        case 0:
            return MakeRgb(0, 255, 0);
        case 1:
            return MakeRgb(0, 255, 255);
        case 2:
            return MakeRgb(255, 140, 0);
        case 3:
            return MakeRgb(255, 255, 255);
        default:
            return std::nullopt;
    }
}

}  // namespace nerimo
