#pragma once

#include "Panel.h"
#include "State.h"
#include "Surface.h"

namespace nerimo {

// The trace of signal levels on the plot surface, and the grid and baseline behind it.
class Plot {
  public:
    Plot(State& state, platform::Surface& surface, const Panel& panel);

    // At the start of every sweep: erase when "Clear at start" is ticked, black out the baseline,
    // then the grid (once per erase) or the grey baseline when "Grid" is ticked.
    void PreparePlot();
    void DrawGrid();
    // One segment of the trace, from the previous point to the point of SignalLevel.
    void PlotLevel();
    // Shows on the screen what was drawn since the last time.
    void Present();

  private:
    State& state_;
    platform::Surface& surface_;
    const Panel& panel_;
};

// The plot and its scale strip as the window shows them, one pixel row of the window between them.
QImage PlotPicture(const platform::Surface& plot, const platform::Surface& scale);

}  // namespace nerimo
