#include "FrequencyAtX.h"

#include <cmath>

#include "Frequency.h"
#include "PlotGeometry.h"

namespace nerimo {

std::optional<double> FrequencyAtX(double x, double startMHz, double endMHz, int pixelsPerStep) {
    return FrequencyAtOffset(x - kLeftMargin, startMHz, endMHz, pixelsPerStep);
}

std::optional<double> FrequencyAtOffset(double offset, double startMHz, double endMHz,
                                        int pixelsPerStep) {
    double d = offset;
    if (pixelsPerStep == 1) {
        d -= kWideSpanShift;
    }
    d /= pixelsPerStep;
    d = std::floor(d) - 1;
    const double f = d * kStepMHz + startMHz;
    // Written so that a NaN (no step width yet) is outside as well.
    if (startMHz <= f && f <= endMHz) {
        return f;
    }
    return std::nullopt;
}

}  // namespace nerimo
