#include "Plot.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Frequency.h"
#include "PlotGeometry.h"

namespace nerimo {

namespace {

constexpr Rgb kBlack = MakeRgb(0, 0, 0);
constexpr Rgb kGridGrey = MakeRgb(128, 128, 128);
constexpr Rgb kWholeMHzGrey = MakeRgb(192, 192, 192);
constexpr Rgb kTickWhite = MakeRgb(255, 255, 255);
constexpr Rgb kBookmarkYellow = MakeRgb(255, 255, 0);
constexpr int kBookmarkTickBottomY = 3;
constexpr int kGridTopY = 4;
constexpr int kGridBottomGap = 10;  // vertical lines end this far above the plot's bottom edge
constexpr int kLevelRows = 17;      // levels 16 down to 0
constexpr int kFirstRowY = -18;     // row a (1..17) lies at 21 a - 18
constexpr int kStepsPerGridLine = 8;
constexpr int kWideGridOrigin = 36;  // x of grid line 0, one line before the first point
constexpr int kNarrowGridOrigin = -20;
constexpr int kWholeMHzEvery = 10;  // on the wide span, every tenth line marks a whole MHz

}  // namespace

// The plot's surfaces are black, as the baseline's black-out takes them to be.
Plot::Plot(Surface& surface, int colorIndex)
    : surface_(surface), drawn_(kPlotWidth, kPlotHeight, kBlack), colorIndex_(colorIndex) {}

void Plot::SetSpan(int spanMHz) {
    spanMHz_ = spanMHz;
    pixelsPerStep_ = PixelsPerStepFor(spanMHz);
}

void Plot::PreparePlot(bool clearAtStart, bool grid) {
    if (clearAtStart) {
        surface_.Erase();
        drawn_.Erase();
        gridDrawn_ = false;
        holds_.Reset();
    }
    if (!grid) {
        gridDrawn_ = false;
    }
    // The last sweep's trace lies beneath the holds from now on: the baseline is drawn over it.
    trace_.clear();
    DrawLine(kFirstPointX, kBaselineY, kGridRightX, kBaselineY, kBlack);
    if (grid) {
        if (!gridDrawn_) {
            DrawGrid();
            gridDrawn_ = true;
        } else {
            DrawLine(kFirstPointX, kBaselineY, kGridRightX, kBaselineY, kGridGrey);
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
        DrawLine(x, kGridTopY, x, kPlotHeight - kGridBottomGap, color);
    }
    for (int a = 1; a <= kLevelRows; ++a) {
        const int y = kPixelsPerLevel * a + kFirstRowY;
        DrawLine(kFirstPointX, y, kGridRightX, y, kGridGrey);
    }
}

int Plot::PointX(int step) const {
    return StepX(step, pixelsPerStep_);
}

void Plot::PlotLevel(int level) {
    const int step = stepCount_;
    holds_.Take(step, level);
    plotY_ = kPlotHeight - (level * kPixelsPerLevel + kBottomMargin);
    ++stepCount_;
    plotX_ = PointX(step);
    if (prevX_ == 0) {
        prevX_ = plotX_;
    }
    if (prevY_ == 0) {
        prevY_ = plotY_;
    }
    const auto color = TraceColor(colorIndex_);
    if (holds_.AnyShown()) {
        DrawHolds(step);
        // The live trace stays on top: its segment before, whose end column the holds touched.
        if (color && before_.x() != 0) {
            surface_.DrawLine(before_.x(), before_.y(), prevX_, prevY_, *color);
        }
    }
    if (color) {
        DrawLine(prevX_, prevY_, plotX_, plotY_, *color);
    }
    trace_.emplace_back(plotX_, plotY_);
    before_ = {prevX_, prevY_};
    prevX_ = plotX_;
    prevY_ = plotY_;
}

void Plot::ShowHold(Hold hold, bool shown) {
    if (holds_.Shown(hold) == shown) {
        return;
    }
    holds_.Show(hold, shown);
    surface_.DrawPixels(drawn_.Pixels(), drawn_.Width(), drawn_.Height());
    for (int step = 0; step < holds_.Steps(); ++step) {
        DrawHolds(step);
    }
    if (const auto color = TraceColor(colorIndex_)) {
        for (size_t i = 0; i < trace_.size(); ++i) {
            const QPoint from = trace_[i == 0 ? 0 : i - 1];
            surface_.DrawLine(from.x(), from.y(), trace_[i].x(), trace_[i].y(), *color);
        }
    }
    surface_.Present();
}

void Plot::DrawLine(int x1, int y1, int x2, int y2, Rgb color) {
    surface_.DrawLine(x1, y1, x2, y2, color);
    drawn_.DrawLine(x1, y1, x2, y2, color);
}

void Plot::DrawHolds(int step) {
    static constexpr std::pair<Hold, Rgb> kHolds[] = {
        {Hold::Max, kMaxHoldColor}, {Hold::Min, kMinHoldColor}, {Hold::Average, kAverageColor}};
    const auto y = [](double level) {
        return kPlotHeight - static_cast<int>(std::lround(level * kPixelsPerLevel + kBottomMargin));
    };
    for (const auto& [hold, color] : kHolds) {
        const std::optional<double> now = holds_.Value(hold, step);
        if (!holds_.Shown(hold) || !now) {
            continue;
        }
        const std::optional<double> before = step > 0 ? holds_.Value(hold, step - 1) : now;
        const int from = before ? step - 1 : step;
        surface_.DrawLine(PointX(std::max(from, 0)), y(before.value_or(*now)), PointX(step),
                          y(*now), color);
    }
}

void Plot::NewTrace() {
    stepCount_ = 0;
    prevX_ = 0;
    prevY_ = 0;
    before_ = {};
}

void Plot::Erase() {
    gridDrawn_ = false;
    holds_.Reset();
    trace_.clear();
    surface_.Erase();
    drawn_.Erase();
    surface_.Present();
}

void Plot::Present() {
    surface_.Present();
}

void DrawScale(Surface& scale, long long firstHertz, int spanMHz, const Lockouts& lockouts,
               const Bookmarks& bookmarks) {
    scale.Erase();
    scale.DrawLine(kFirstPointX, 0, kFirstPointX, kScaleTickBottomY, kTickWhite);
    scale.DrawLine(kLastPointX, 0, kLastPointX, kScaleTickBottomY, kTickWhite);
    const int pixelsPerStep = PixelsPerStepFor(spanMHz);
    const long long lastStep = spanMHz * 1000000LL / kStepHz;
    // The step a frequency falls on, when the span has it.
    const auto stepX = [&](long long hertz) -> std::optional<int> {
        const long long step = (hertz - firstHertz + kStepHz / 2) / kStepHz;
        if (hertz < firstHertz - kStepHz / 2 || step > lastStep) {
            return std::nullopt;
        }
        return StepX(int(step), pixelsPerStep);
    };
    for (const long long hertz : lockouts.all()) {
        if (const std::optional<int> x = stepX(hertz)) {
            scale.DrawLine(*x, 0, *x, kScaleTickBottomY, kGridGrey);
        }
    }
    for (const Bookmark& bookmark : bookmarks.Within(
             firstHertz - kStepHz / 2, firstHertz + lastStep * kStepHz + kStepHz / 2)) {
        if (const std::optional<int> x = stepX(bookmark.hertz)) {
            scale.DrawLine(*x, 0, *x, kBookmarkTickBottomY, kBookmarkYellow);
        }
    }
    scale.Present();
}

}  // namespace nerimo
