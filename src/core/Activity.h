#pragma once

#include <QDateTime>
#include <QString>

namespace nerimo {

// One frequency heard in consecutive sweeps: a signal's strongest step as it began, taken in by
// that signal sweep after sweep, until a sweep finds it below the activity level.
struct Activity {
    long long hertz = 0;
    QString name;  // of the named frequency on the signal's steps nearest it; empty for none
    int strongest = 0;
    QDateTime firstHeard;
    QDateTime lastHeard;
    int sweeps = 0;  // in which it was heard
};

enum class ActivityEvent {
    Started,  // heard, where it was not in the sweep before
    Heard,    // heard again in the next sweep
    Ended,    // not heard in a sweep, or the run ended
};

// Those who keep or show activities: the activity log, the activity table, a survey's lines.
class ActivityListener {
  public:
    virtual ~ActivityListener() = default;
    virtual void ActivityChanged(const Activity& activity, ActivityEvent event) = 0;
};

}  // namespace nerimo
