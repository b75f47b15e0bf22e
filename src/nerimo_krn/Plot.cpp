#include "Plot.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "PlotGeometry.h"

namespace nerimo {

namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWindowGrey = qRgb(64, 64, 64);  // the window between the plot and its scale
constexpr QRgb kGridGrey = qRgb(128, 128, 128);
constexpr QRgb kWholeMHzGrey = qRgb(192, 192, 192);
constexpr int kGridTopY = 4;
constexpr int kGridBottomGap = 10;  // vertical lines end this far above the plot's bottom edge
constexpr int kLevelRows = 17;      // levels 16 down to 0
constexpr int kPixelsPerLevel = 21;
constexpr int kFirstRowY = -18;  // row a (1..17) lies at 21 a - 18
constexpr int kStepsPerGridLine = 8;
constexpr int kWideGridOrigin = 36;  // x of grid line 0, one line before the first point
constexpr int kNarrowGridOrigin = -20;
constexpr int kWholeMHzEvery = 10;  // on the wide span, every tenth line marks a whole MHz
constexpr int kWideSpanShift = 7;   // the wide span's points start 7 pixels further right
constexpr double kStepMHz = 0.0125;

// 16-bit arithmetic as the trace's state items have it; the values that occur stay far inside.
int16_t Checked(int value) {
    assert(value >= INT16_MIN && value <= INT16_MAX);
    return static_cast<int16_t>(value);
}

}  // namespace

Plot::Plot(State& state, platform::Surface& surface, const Panel& panel)
    : state_(state), surface_(surface), panel_(panel) {}

void Plot::PreparePlot() {
    if (panel_.CheckValue(1) == 1) {
        surface_.Erase();
        state_.GridDrawn = 0;
    }
    if (panel_.CheckValue(2) == 0) {
        state_.GridDrawn = 0;
    }
    surface_.DrawLine(kFirstPointX, kBaselineY, kGridRightX, kBaselineY, kBlack);
    if (panel_.CheckValue(2) == 1) {
        if (state_.GridDrawn == 0) {
            DrawGrid();
            state_.GridDrawn = 1;
        } else {
            surface_.DrawLine(kFirstPointX, kBaselineY, kGridRightX, kBaselineY, kGridGrey);
        }
    }
}

void Plot::DrawGrid() {
    const bool wide = state_.PixelsPerStep == 1;
    const int x0 = wide ? kWideGridOrigin : kNarrowGridOrigin;
    const int lines =
        static_cast<int>(std::lround(state_.SpanMHz / kStepMHz / kStepsPerGridLine + 1));
    for (int w = 1; w <= lines; ++w) {
        const int x = x0 + kStepsPerGridLine * state_.PixelsPerStep * w;
        const QRgb color = wide && (w - 1) % kWholeMHzEvery == 0 ? kWholeMHzGrey : kGridGrey;
        surface_.DrawLine(x, kGridTopY, x, state_.PlotHeight - kGridBottomGap, color);
    }
    for (int a = 1; a <= kLevelRows; ++a) {
        const int y = kPixelsPerLevel * a + kFirstRowY;
        surface_.DrawLine(kFirstPointX, y, kGridRightX, y, kGridGrey);
    }
}

void Plot::PlotLevel() {
    state_.PlotY =
        Checked(state_.PlotHeight - (state_.SignalLevel * kPixelsPerLevel + state_.BottomMargin));
    state_.StepCount = Checked(state_.StepCount + 1);
    state_.PlotX = Checked(state_.PixelsPerStep * state_.StepCount + state_.LeftMargin);
    if (state_.PixelsPerStep == 1) {
        state_.PlotX = Checked(state_.PlotX + kWideSpanShift);
    }
    if (state_.PrevX == 0) {
        state_.PrevX = state_.PlotX;
    }
    if (state_.PrevY == 0) {
        state_.PrevY = state_.PlotY;
    }
    if (const auto color = TraceColor(state_.ColorIndex)) {
        surface_.DrawLine(state_.PrevX, state_.PrevY, state_.PlotX, state_.PlotY, *color);
    }
    state_.PrevX = state_.PlotX;
    state_.PrevY = state_.PlotY;
}

void Plot::Present() {
    surface_.Present();
}

QImage PlotPicture(const platform::Surface& plot, const platform::Surface& scale) {
    const QImage& top = plot.Image();
    const QImage& bottom = scale.Image();
    QImage picture(top.width(), top.height() + 1 + bottom.height(), QImage::Format_RGB32);
    picture.fill(kWindowGrey);
    for (int y = 0; y < top.height(); ++y) {
        std::copy_n(top.constScanLine(y), top.bytesPerLine(), picture.scanLine(y));
    }
    for (int y = 0; y < bottom.height(); ++y) {
        std::copy_n(bottom.constScanLine(y), bottom.bytesPerLine(),
                    picture.scanLine(top.height() + 1 + y));
    }
    return picture;
}

}  // namespace nerimo
