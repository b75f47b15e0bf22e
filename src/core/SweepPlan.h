#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "Frequency.h"
#include "Mode.h"

namespace nerimo {

// One step of a sweep: the frequency tuned and, for a channel of a list, its own mode and name.
struct PlanStep {
    long long hertz = 0;
    std::optional<Mode> mode;  // none: the run's mode
    QString name;
    bool priority = false;  // a channel looked at between the others
};

// The steps of a sweep, in the order they are tuned: a band's evenly spaced steps, or a list's
// channels. `stepHertz` is the width each step stands for (a lockout's reach, the log's step).
struct SweepPlan {
    std::vector<PlanStep> steps;
    long long stepHertz = kStepHz;
    bool channels = false;  // a list's channels: a scan that stops on activity, a pass a sweep

    int Count() const { return int(steps.size()); }
    long long HertzAt(int step) const { return steps[size_t(step)].hertz; }
    long long FirstHertz() const { return steps.front().hertz; }
    long long LastHertz() const { return steps.back().hertz; }
};

// `count` steps from the first frequency, each `stepHertz` above the one before. Counted, not
// added up, so that no rounding drops or adds the last step.
inline SweepPlan BandPlan(long long firstHertz, long long stepHertz, int count) {
    SweepPlan plan{{}, stepHertz, false};
    plan.steps.reserve(size_t(std::max(count, 0)));
    for (int step = 0; step < count; ++step) {
        plan.steps.push_back({firstHertz + step * stepHertz, std::nullopt, {}, false});
    }
    return plan;
}

// The window's: a 1 MHz or 8 MHz span from the start, 12.5 kHz a step, both ends included, the
// start to the 100 Hz that the receiver's own protocol carries.
inline SweepPlan SpanPlan(double startMHz, int spanMHz) {
    return BandPlan((Hertz(startMHz) + 50) / 100 * 100, kStepHz,
                    int(spanMHz * 1000000LL / kStepHz) + 1);
}

}  // namespace nerimo
