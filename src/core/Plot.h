#pragma once

#include <QPoint>
#include <vector>

#include "FrequencyMarks.h"
#include "HoldTraces.h"
#include "PixelBuffer.h"
#include "Surface.h"

namespace nerimo {

// The trace of signal levels on the plot surface, the hold traces beneath it, and the grid and
// baseline behind them. It keeps its own pen: the point just plotted and the one before it; and a
// copy of all it drew but the hold traces, so that a hold turned off leaves no pixel behind.
class Plot {
  public:
    // `colorIndex`: the trace colour (0 to 3); with any other the trace is not drawn.
    Plot(Surface& surface, int colorIndex);

    // The span the next points are for: their spacing, and the grid's lines.
    void SetSpan(int spanMHz);
    int PixelsPerStep() const { return pixelsPerStep_; }

    // At the start of every sweep: erase when "Clear at start" is ticked, black out the baseline,
    // then the grid (once per erase) or the grey baseline when "Grid" is ticked.
    void PreparePlot(bool clearAtStart, bool grid);
    void DrawGrid();
    // One segment of the trace, from the previous point to the point of the level; beneath it,
    // the segment of each hold trace shown, which takes the level in.
    void PlotLevel(int level);
    // Shows or hides a hold trace, on the screen at once: the plot drawn again from its copy
    // without the holds, the holds shown over it, and this sweep's trace on top.
    void ShowHold(Hold hold, bool shown);
    // The hold traces: which are shown, and their values. An erase resets the values.
    const HoldTraces& holds() const { return holds_; }
    // The trace begins afresh: the next point is the first of a sweep.
    void NewTrace();
    // The plot erased, any grid and the hold traces with it (a span change, the holds reset): the
    // next sweep draws the grid afresh.
    void Erase();
    // Shows on the screen what was drawn since the last time.
    void Present();

    int StepCount() const { return stepCount_; }
    QPoint LastPoint() const { return {plotX_, plotY_}; }
    bool GridDrawn() const { return gridDrawn_; }

  private:
    // A line on the surface and in the copy: all that is drawn but the hold traces.
    void DrawLine(int x1, int y1, int x2, int y2, Rgb color);
    // The hold traces' segments that end at this step, from the step before.
    void DrawHolds(int step);
    int PointX(int step) const;

    Surface& surface_;
    HoldTraces holds_;
    PixelBuffer drawn_;  // the plot without the hold traces
    int colorIndex_;
    int spanMHz_ = 1;
    int pixelsPerStep_ = 8;
    int stepCount_ = 0;  // points plotted in this sweep
    int plotX_ = 0;
    int plotY_ = 0;
    int prevX_ = 0;  // 0: no point yet
    int prevY_ = 0;
    QPoint before_;  // the point before the previous one, in this sweep; none at x 0
    // The points of the trace drawn since its sweep began: it stays on top of the holds.
    std::vector<QPoint> trace_;
    bool gridDrawn_ = false;  // since the plot was last erased
};

// The scale strip drawn afresh for a span: the ticks under the first and the last point of a
// sweep, a grey tick under each step locked out and a short yellow one at the top under each
// named frequency.
void DrawScale(Surface& scale, long long firstHertz, int spanMHz, const Lockouts& lockouts,
               const Bookmarks& bookmarks);

}  // namespace nerimo
