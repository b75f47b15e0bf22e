#pragma once

#include <optional>
#include <vector>

#include "Clock.h"
#include "FrequencyMarks.h"
#include "Panel.h"
#include "Plot.h"
#include "Receiver.h"
#include "Scheduler.h"
#include "Settings.h"
#include "SweepListener.h"

namespace nerimo {

// The sweep run: tunes the receiver step by step through its plan, reads each level and plots it,
// pauses or holds on signals, sweep after sweep until a stop is seen. A state machine driven by
// the scheduler: each point where window events may run is a return to the event loop, each wait
// a timer, so the window stays responsive and the processor idles while the receiver answers.
class Sweep {
  public:
    // `lockouts`: the steps that never pause or hold.
    Sweep(const Settings& settings, const Lockouts& lockouts, Receiver& receiver, Plot& plot,
          Panel& panel, Scheduler& scheduler, const Clock& clock);

    // Starts a run with the mode and the span the panel shows. A stopped run that is still
    // finishing its step ends first.
    void RunSweep();
    // Ends the run at once: nothing more is sent, drawn or waited for.
    void End();
    bool Running() const { return running_; }
    // The stop button: the run ends once its current step is over (a dwell under way runs out);
    // a continue not yet taken is dropped.
    void RequestStop();
    // The continue button: a hold ends at the end of its cycle.
    void RequestContinue() { continueRequested_ = true; }
    // Another receiver from the next run on; no run is under way.
    void UseReceiver(Receiver& receiver) { receiver_ = &receiver; }
    // A survey's own steps in place of the span the panel shows, from the next run on.
    void UsePlan(const SweepPlan& plan) { fixedPlan_ = plan; }
    // Tells the listener, for as long as both live, of every sweep and its levels.
    void Listen(SweepListener& listener) { listeners_.push_back(&listener); }

  private:
    void BeginSweep();
    void BeginStep();
    void HoldCycle();
    void AfterRead(std::optional<int> level);
    void AfterPause();
    void FinishStep();
    void EndOfSweep();
    long long StepHertz() const;
    // A level above 0 at a step not locked out: what pauses and holds.
    bool Signal() const;
    void EndRun();

    const Settings& settings_;
    const Lockouts& lockouts_;
    Receiver* receiver_;
    Plot& plot_;
    Panel& panel_;
    Scheduler& scheduler_;
    const Clock& clock_;

    std::vector<SweepListener*> listeners_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool continueRequested_ = false;
    bool receiverAway_ = false;           // the status says "no receiver"
    bool holding_ = false;                // on a signal, with PAUSE=99
    Mode mode_ = Mode::Fm;                // the run's
    int spanMHz_ = 1;                     // the run's
    int level_ = 0;                       // the current step's, 0 to 16
    int step_ = 0;                        // the current step's, from 0
    std::optional<SweepPlan> fixedPlan_;  // a survey's own, in place of the span
    SweepPlan plan_;                      // the sweep's, taken when its frequency loop began
    SweepSummary summary_;                // of the sweep under way
};

}  // namespace nerimo
