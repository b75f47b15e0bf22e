#include "ActivityTracker.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "Settings.h"

namespace nerimo {

ActivityTracker::ActivityTracker(std::optional<int> activityLevel, const Lockouts& lockouts,
                                 const Bookmarks& bookmarks, const Clock& clock)
    : activityLevel_(activityLevel), lockouts_(lockouts), bookmarks_(bookmarks), clock_(clock) {}

void ActivityTracker::Tell(const Activity& activity, ActivityEvent event) {
    for (ActivityListener* listener : listeners_) {
        listener->ActivityChanged(activity, event);
    }
}

void ActivityTracker::SweepBegan(const SweepStart& start) {
    ++sweep_;
    stepHertz_ = start.plan.stepHertz;
    channelNames_.clear();
    if (start.plan.channels) {
        for (const PlanStep& step : start.plan.steps) {
            channelNames_.insert(step.hertz, step.name);
        }
    }
}

void ActivityTracker::Measured(long long hertz, int level, Reply reply) {
    if (reply == Reply::Answered) {
        floor_.Take(level);
    }
    const bool heard = reply == Reply::Answered &&
                       level >= activityLevel_.value_or(floor_.Level() + kActivityMargin) &&
                       !lockouts_.Locks(hertz, stepHertz_);
    if (heard) {
        if (!signal_) {
            signal_ = Signal{hertz, hertz, -1, {}, clock_.Now()};
        }
        signal_->highHertz = hertz;
        if (level > signal_->strongest) {
            signal_->strongest = level;
            signal_->strongestSteps.clear();
        }
        if (level == signal_->strongest) {
            signal_->strongestSteps.push_back(hertz);
        }
        if (!channelNames_.isEmpty()) {  // a list's channels are heard one by one
            SignalEnded();
        }
        return;
    }
    SignalEnded();
    if (const auto it = going_.find(hertz); it != going_.end()) {
        Tell(it->second.activity, ActivityEvent::Ended);
        going_.erase(it);
    }
}

void ActivityTracker::SignalEnded() {
    if (!signal_) {
        return;
    }
    const Signal signal = *std::exchange(signal_, std::nullopt);
    const long long at = signal.strongestSteps[(signal.strongestSteps.size() - 1) / 2];
    const auto from = going_.lower_bound(signal.lowHertz);
    const auto to = going_.upper_bound(signal.highHertz);
    auto nearest = to;
    for (auto it = from; it != to; ++it) {
        if (nearest == to || std::llabs(it->first - at) < std::llabs(nearest->first - at)) {
            nearest = it;
        }
    }
    if (nearest == to) {
        Going& started = going_[at];
        started = {{at,
                    channelNames_.isEmpty()
                        ? bookmarks_.NameNear(at, signal.lowHertz, signal.highHertz, stepHertz_)
                              .value_or(QString())
                        : channelNames_.value(at),
                    signal.strongest, signal.heard, signal.heard, 1},
                   sweep_};
        Tell(started.activity, ActivityEvent::Started);
        return;
    }
    Activity& activity = nearest->second.activity;
    activity.strongest = std::max(activity.strongest, signal.strongest);
    activity.lastHeard = signal.heard;
    ++activity.sweeps;
    nearest->second.sweep = sweep_;
    // Any other it took in is not heard in this sweep, and ends with it.
    Tell(activity, ActivityEvent::Heard);
}

void ActivityTracker::SweepEnded(const SweepSummary&) {
    SignalEnded();
    floor_.SweepEnded();
    // A step this sweep did not measure (a span since changed) was not heard in it.
    for (auto it = going_.begin(); it != going_.end();) {
        if (it->second.sweep != sweep_) {
            Tell(it->second.activity, ActivityEvent::Ended);
            it = going_.erase(it);
        } else {
            ++it;
        }
    }
}

void ActivityTracker::RunEnded() {
    floor_.RunEnded();
    for (const auto& [hertz, going] : going_) {
        Tell(going.activity, ActivityEvent::Ended);
    }
    going_.clear();
}

}  // namespace nerimo
