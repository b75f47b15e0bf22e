#pragma once

#include <QHash>
#include <map>
#include <optional>
#include <vector>

#include "Activity.h"
#include "BandFloor.h"
#include "Clock.h"
#include "FrequencyMarks.h"
#include "SweepListener.h"

namespace nerimo {

// Finds the activities in the sweeps. A step is heard when it answers at or above the activity
// level (ACTIVITY=, or else the band's floor plus kActivityMargin) and is not locked out; the
// steps heard one after another in a sweep are one signal (a carrier spills onto the steps beside
// it), at its strongest step (of several as strong, the middle one, the lower of two). A signal
// that takes in an activity's step carries it on from the sweep before (of two, the one nearest
// its strongest step, the lower of two as near; the other ends with the sweep); one that takes in
// none starts one at its strongest step, named after the bookmark on its steps nearest to it. A
// sweep in which an activity's step is not heard ends it, as does the end of the run. A hold or a
// pause measures a step once, so it neither ends nor counts an activity twice. Of a list, each
// channel heard is a signal of its own, named as the list names it.
class ActivityTracker : public SweepListener {
  public:
    ActivityTracker(std::optional<int> activityLevel, const Lockouts& lockouts,
                    const Bookmarks& bookmarks, const Clock& clock);

    // The activity level chosen anew, from the next step on.
    void UseLevel(std::optional<int> activityLevel) { activityLevel_ = activityLevel; }
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
    // Steps heard one after another in this sweep.
    struct Signal {
        long long lowHertz = 0;
        long long highHertz = 0;
        int strongest = -1;
        std::vector<long long> strongestSteps;  // those at the strongest level, in order
        QDateTime heard;                        // at its first step: one time for the sweep
    };
    void Tell(const Activity& activity, ActivityEvent event);
    // The signal is over: its step after was not heard, or the sweep ended.
    void SignalEnded();

    std::optional<int> activityLevel_;
    const Lockouts& lockouts_;
    const Bookmarks& bookmarks_;
    const Clock& clock_;
    std::vector<ActivityListener*> listeners_;
    BandFloor floor_;
    std::optional<Signal> signal_;
    std::map<long long, Going> going_;        // by frequency
    long long sweep_ = 0;                     // sweeps begun
    long long stepHertz_ = kStepHz;           // the sweep's
    QHash<long long, QString> channelNames_;  // a list's, by frequency; empty for a band
};

}  // namespace nerimo
