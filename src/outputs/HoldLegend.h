#pragma once

#include <QPainter>
#include <QRect>
#include <QString>
#include <vector>

#include "HoldTraces.h"

namespace nerimo {

// Which hold traces are shown, said on the plot and under it. On the plot, a legend in the margin
// right of the grid, where nothing else is ever drawn: each hold's name in its colour, a line
// each. Under it, the caption's words for them.

// Where the legend of that many holds stands on the plot; empty for none.
QRect HoldLegendPlace(int holds);
// The legend of the holds, in the plot's own pixels.
void DrawHoldLegend(QPainter& painter, const std::vector<Hold>& holds);
// "holds: max (magenta), avg (yellow)"; empty for none.
QString HoldsCaption(const std::vector<Hold>& holds);

}  // namespace nerimo
