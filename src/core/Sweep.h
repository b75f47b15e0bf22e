#pragma once

#include <optional>
#include <vector>

#include "BandFloor.h"
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
//
// A list's channels are scanned by the same rules with three more: a channel stops the scan at
// the activity level (ACTIVITY=, or the floor of the list plus kActivityMargin) rather than at
// any level; a hold goes on HANG= seconds after its signal dropped; and every PRIORITY_EVERY=
// seconds, between the others and during a dwell or a hold, the priority channels are looked at,
// one that is busy taking over from a channel that is not a priority one. A channel locked out
// is never tuned.
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
    // The span the panel shows again, from the next run on.
    void UseSpan() { fixedPlan_.reset(); }
    // Tells the listener, for as long as both live, of every sweep and its levels.
    void Listen(SweepListener& listener) { listeners_.push_back(&listener); }

  private:
    void BeginSweep();
    void BeginStep();
    void TuneStep();
    void HoldCycle();
    void AfterRead(std::optional<int> level);
    // What a level read at the current step makes the sweep do: dwell, hold or go on.
    void Decide();
    void DwellPiece();
    void AfterPause();
    void FinishStep();
    void NextStep();
    void EndOfSweep();
    long long StepHertz() const;
    Mode StepMode() const;
    // A level above 0 at a step not locked out (of a list, at the activity level): what pauses
    // and holds.
    bool Signal() const;
    bool LockedOut(int step) const;
    // A list's channel not to tune: locked out, out of the receiver's reach, or in a mode the
    // receiver refused.
    bool Skipped(int step) const;
    void EndRun();
    // A wait of the sweep's, counted towards the next look at the priority channels.
    void Wait(double seconds, Scheduler::Task then);
    // Seconds until a priority channel is due to be looked at from the current step (none:
    // infinity), and whether one is due now.
    double SecondsToPriority() const;
    bool PriorityDue() const;
    double SecondsToLook(int step) const;
    // A priority channel that a look from the current step takes in.
    bool Looked(int step) const;
    // Looks at the priority channels from `from` on, then goes on with `then`; a busy one takes
    // over instead.
    // `resumeAfter`: the step after which the scan goes on, should one take over.
    void LookAtPriority(int from, int resumeAfter, Scheduler::Task then);
    // The priority channel now the current step, busy, takes over.
    void TakeOver(int resumeAfter);

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
    int hangLeft_ = 0;                    // hold cycles to go after a list's signal dropped
    double dwellLeft_ = 0;                // seconds of the dwell under way
    double elapsed_ = 0;                  // seconds the run has waited
    std::vector<double> lastLook_;        // when each priority channel was last looked at
    std::optional<int> resumeAfter_;      // the step a priority channel took over from
    bool hasPriority_ = false;            // the sweep's plan has priority channels
    int tunedInSweep_ = 0;                // steps tuned in the sweep under way
    BandFloor floor_;                     // a list's, for its activity level
    Mode mode_ = Mode::Fm;                // the run's
    int spanMHz_ = 1;                     // the run's
    int level_ = 0;                       // the current step's, 0 to 16
    int step_ = 0;                        // the current step's, from 0
    std::optional<SweepPlan> fixedPlan_;  // a survey's own, in place of the span
    SweepPlan plan_;                      // the sweep's, taken when its frequency loop began
    SweepSummary summary_;                // of the sweep under way
};

}  // namespace nerimo
