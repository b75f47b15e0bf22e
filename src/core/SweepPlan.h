#pragma once

#include "Frequency.h"

namespace nerimo {

// The steps of a sweep: from the first frequency, `steps` more, each `stepHertz` above the one
// before. Counted, not added up, so that no rounding drops or adds the last step.
struct SweepPlan {
    long long firstHertz = 0;
    long long stepHertz = kStepHz;
    int steps = 0;  // after the first

    long long HertzAt(int step) const { return firstHertz + step * stepHertz; }
    long long LastHertz() const { return HertzAt(steps); }
};

// The window's: a 1 MHz or 8 MHz span from the start, 12.5 kHz a step, the start to the 100 Hz
// that the receiver's own protocol carries.
inline SweepPlan SpanPlan(double startMHz, int spanMHz) {
    return {(Hertz(startMHz) + 50) / 100 * 100, kStepHz, int(spanMHz * 1000000LL / kStepHz)};
}

}  // namespace nerimo
