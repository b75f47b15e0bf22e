#include "ActivityTracker.h"

#include <algorithm>

namespace nerimo {

ActivityTracker::ActivityTracker(int activityLevel, const Lockouts& lockouts,
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
}

void ActivityTracker::Measured(long long hertz, int level, Reply reply) {
    const bool heard =
        reply == Reply::Answered && level >= activityLevel_ && !lockouts_.Locks(hertz, stepHertz_);
    const auto it = going_.find(hertz);
    if (heard && it != going_.end()) {
        Activity& activity = it->second.activity;
        activity.strongest = std::max(activity.strongest, level);
        activity.lastHeard = clock_.Now();
        ++activity.sweeps;
        it->second.sweep = sweep_;
        Tell(activity, ActivityEvent::Heard);
        return;
    }
    if (it != going_.end()) {
        Tell(it->second.activity, ActivityEvent::Ended);
        going_.erase(it);
        return;
    }
    if (heard) {
        const QDateTime now = clock_.Now();
        Going& started = going_[hertz];
        started = {
            {hertz, bookmarks_.NameAt(hertz, stepHertz_).value_or(QString()), level, now, now, 1},
            sweep_};
        Tell(started.activity, ActivityEvent::Started);
    }
}

void ActivityTracker::SweepEnded(const SweepSummary&) {
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
    for (const auto& [hertz, going] : going_) {
        Tell(going.activity, ActivityEvent::Ended);
    }
    going_.clear();
}

}  // namespace nerimo
