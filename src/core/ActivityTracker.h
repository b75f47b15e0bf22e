#pragma once

#include <map>
#include <vector>

#include "Activity.h"
#include "Clock.h"
#include "FrequencyMarks.h"
#include "SweepListener.h"

namespace nerimo {

// Finds the activities in the sweeps: a step heard (answered at or above the activity level, and
// not locked out) starts one or carries it on from the sweep before; a sweep in which that step
// is not heard ends it, as does the end of the run. A hold or a pause measures a step once, so it
// neither ends nor counts an activity twice.
class ActivityTracker : public SweepListener {
  public:
    ActivityTracker(int activityLevel, const Lockouts& lockouts, const Bookmarks& bookmarks,
                    const Clock& clock);

    // The activity level chosen anew, from the next step on.
    void UseLevel(int activityLevel) { activityLevel_ = activityLevel; }
    // Tells the listener, for as long as both live, of every activity as it changes.
    void Listen(ActivityListener& listener) { listeners_.push_back(&listener); }

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;
    void RunEnded() override;

  private:
    struct Going {
        Activity activity;
        long long sweep = 0;  // the last in which it was heard
    };
    void Tell(const Activity& activity, ActivityEvent event);

    int activityLevel_;
    const Lockouts& lockouts_;
    const Bookmarks& bookmarks_;
    const Clock& clock_;
    std::vector<ActivityListener*> listeners_;
    std::map<long long, Going> going_;  // by frequency
    long long sweep_ = 0;               // sweeps begun
    long long stepHertz_ = kStepHz;     // the sweep's
};

}  // namespace nerimo
