#pragma once

#include "Frequency.h"

namespace nerimo {

// The steps of a sweep: `count` of them from the first frequency, each `stepHertz` above the one
// before. Counted, not added up, so that no rounding drops or adds the last step.
struct SweepPlan {
    long long firstHertz = 0;
    long long stepHertz = kStepHz;
    int count = 1;

    long long HertzAt(int step) const { return firstHertz + step * stepHertz; }
    long long LastHertz() const { return HertzAt(count - 1); }
};

// The window's: a 1 MHz or 8 MHz span from the start, 12.5 kHz a step, both ends included, the
// start to the 100 Hz that the receiver's own protocol carries.
inline SweepPlan SpanPlan(double startMHz, int spanMHz) {
    return {(Hertz(startMHz) + 50) / 100 * 100, kStepHz, int(spanMHz * 1000000LL / kStepHz) + 1};
}

}  // namespace nerimo
