#include "FrequencyAtX.h"

#include <cmath>

namespace nerimo {

namespace {

constexpr double kStepMHz = 0.0125;
// On the 8 MHz span the trace starts this much further right than the step count gives.
constexpr double kWideSpanShift = 7;

}  // namespace

std::optional<double> FrequencyAtX(const State& state, double x) {
    return FrequencyAtOffset(state, x - state.LeftMargin);
}

std::optional<double> FrequencyAtOffset(const State& state, double offset) {
    double d = offset;
    if (state.PixelsPerStep == 1) {
        d -= kWideSpanShift;
    }
    d /= state.PixelsPerStep;
    d = std::floor(d) - 1;
    const double f = d * kStepMHz + state.StartMHz;
    // Written so that a NaN (no step width yet) is outside as well.
    if (state.StartMHz <= f && f <= state.EndMHz) {
        return f;
    }
    return std::nullopt;
}

}  // namespace nerimo
