#include "Plot.h"

#include <cmath>

#include "Frequency.h"
#include "PlotGeometry.h"

namespace nerimo {

namespace {

constexpr Rgb kBlack = MakeRgb(0, 0, 0);
constexpr Rgb kGridGrey = MakeRgb(128, 128, 128);
constexpr Rgb kWholeMHzGrey = MakeRgb(192, 192, 192);
constexpr Rgb kTickWhite = MakeRgb(255, 255, 255);
constexpr int kGridTopY = 4;
constexpr int kGridBottomGap = 10;  // vertical lines end this far above the plot's bottom edge
constexpr int kLevelRows = 17;      // levels 16 down to 0
constexpr int kPixelsPerLevel = 21;
constexpr int kFirstRowY = -18;  // row a (1..17) lies at 21 a - 18
constexpr int kStepsPerGridLine = 8;
constexpr int kWideGridOrigin = 36;  // x of grid line 0, one line before the first point
constexpr int kNarrowGridOrigin = -20;
constexpr int kWholeMHzEvery = 10;  // on the wide span, every tenth line marks a whole MHz

}  // namespace

Plot::Plot(Surface& surface, int colorIndex) : surface_(surface), colorIndex_(colorIndex) {}

void Plot::SetSpan(int spanMHz) {
    spanMHz_ = spanMHz;
    pixelsPerStep_ = PixelsPerStepFor(spanMHz);
}

void Plot::PreparePlot(bool clearAtStart, bool grid) {
    if (clearAtStart) {
        surface_.Erase();
        gridDrawn_ = false;
    }
    if (!grid) {
        gridDrawn_ = false;
    }
    surface_.DrawLine(kFirstPointX, kBaselineY, kGridRightX, kBaselineY, kBlack);
    if (grid) {
        if (!gridDrawn_) {
            DrawGrid();
            gridDrawn_ = true;
        } else {
            surface_.DrawLine(kFirstPointX, kBaselineY, kGridRightX, kBaselineY, kGridGrey);
        }
    }
}

void Plot::DrawGrid() {
    const bool wide = pixelsPerStep_ == 1;
    const int x0 = wide ? kWideGridOrigin : kNarrowGridOrigin;
    const int lines = static_cast<int>(std::lround(spanMHz_ / kStepMHz / kStepsPerGridLine + 1));
    for (int w = 1; w <= lines; ++w) {
        const int x = x0 + kStepsPerGridLine * pixelsPerStep_ * w;
        const Rgb color = wide && (w - 1) % kWholeMHzEvery == 0 ? kWholeMHzGrey : kGridGrey;
        surface_.DrawLine(x, kGridTopY, x, kPlotHeight - kGridBottomGap, color);
    }
    for (int a = 1; a <= kLevelRows; ++a) {
        const int y = kPixelsPerLevel * a + kFirstRowY;
        surface_.DrawLine(kFirstPointX, y, kGridRightX, y, kGridGrey);
    }
}

void Plot::PlotLevel(int level) {
    plotY_ = kPlotHeight - (level * kPixelsPerLevel + kBottomMargin);
    ++stepCount_;
    plotX_ = pixelsPerStep_ * stepCount_ + kLeftMargin;
    if (pixelsPerStep_ == 1) {
        plotX_ += kWideSpanShift;
    }
    if (prevX_ == 0) {
        prevX_ = plotX_;
    }
    if (prevY_ == 0) {
        prevY_ = plotY_;
    }
    if (const auto color = TraceColor(colorIndex_)) {
        surface_.DrawLine(prevX_, prevY_, plotX_, plotY_, *color);
    }
    prevX_ = plotX_;
    prevY_ = plotY_;
}

void Plot::NewTrace() {
    stepCount_ = 0;
    prevX_ = 0;
    prevY_ = 0;
}

void Plot::Erase() {
    gridDrawn_ = false;
    surface_.Erase();
    surface_.Present();
}

void Plot::Present() {
    surface_.Present();
}

void DrawScaleTicks(Surface& scale) {
    scale.DrawLine(kFirstPointX, 0, kFirstPointX, kScaleTickBottomY, kTickWhite);
    scale.DrawLine(kLastPointX, 0, kLastPointX, kScaleTickBottomY, kTickWhite);
    scale.Present();
}

}  // namespace nerimo
