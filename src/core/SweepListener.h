#pragma once

#include <QDateTime>

#include "Mode.h"
#include "SweepPlan.h"

namespace nerimo {

// What came of one step's read.
enum class Reply {
    Answered,    // the receiver answered: the level is a measurement
    Silent,      // the receiver is open but said nothing: level 0, no measurement
    NoReceiver,  // there was no receiver to ask: level 0, no measurement
};

// What one sweep measured, counted over its steps.
struct SweepSummary {
    int steps = 0;
    int answered = 0;
    int withoutReceiver = 0;

    void Count(Reply reply) {
        ++steps;
        answered += reply == Reply::Answered;
        withoutReceiver += reply == Reply::NoReceiver;
    }
    // A sweep measured something when its receiver was there at every step and answered at
    // least one of them; one that did not is no survey of the band.
    bool Measured() const { return answered > 0 && withoutReceiver == 0; }
};

// A sweep as it begins: its steps, and the one moment and the mode that every output stamps it
// with, so that a log's row, a message and a progress line never disagree.
struct SweepStart {
    SweepPlan plan;
    QDateTime time;  // as its first step is about to be tuned
    Mode mode = Mode::Fm;
};

// What a sweep tells those who keep or show what it measured (the sweep log, a survey's
// progress); none of them reaches into the sweep.
class SweepListener {
  public:
    virtual ~SweepListener() = default;

    // A sweep's first step is about to be tuned.
    virtual void SweepBegan(const SweepStart& start) = 0;
    // A step's level, as plotted, and what its read came to: once a step, a hold's later reads
    // not counted.
    virtual void Measured(long long hertz, int level, Reply reply) = 0;
    // The sweep ended: whole, or cut short by a stop or by the end of its run.
    virtual void SweepEnded(const SweepSummary& summary) = 0;
    // The run ended: stopped, or ended at once (a close, a signal). Its last sweep has ended.
    virtual void RunEnded() {}
};

}  // namespace nerimo
