#pragma once

#include <QFont>

namespace nerimo {

// The window's fonts at their point sizes. The layout was drawn for a narrow sans-serif face;
// Liberation Sans has those proportions, with DejaVu Sans and the system's sans-serif behind it.
QFont SansFont(double points, bool bold = false);

}  // namespace nerimo
