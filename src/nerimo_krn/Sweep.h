#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "Panel.h"
#include "Plot.h"
#include "Receiver.h"
#include "Scheduler.h"
#include "State.h"
#include "SweepListener.h"

namespace nerimo {

// The sweep run: tunes the receiver step by step across the span, reads each level and plots it,
// pauses or holds on signals, sweep after sweep until a stop is seen. A state machine driven by
// the scheduler: each point where window events may run is a return to the event loop, each wait
// a timer, so the window stays responsive and the processor idles while the receiver answers.
class Sweep {
  public:
    Sweep(State& state, Receiver& receiver, Plot& plot, Panel& panel,
          platform::Scheduler& scheduler);

    // Starts a run. A stopped run that is still finishing its step ends first.
    void RunSweep();
    // Ends the run at once: nothing more is sent, drawn or waited for.
    void End();
    bool Running() const { return running_; }
    // Tells the listener, for as long as both live, of every sweep and its levels.
    void Listen(SweepListener& listener) { listeners_.push_back(&listener); }

  private:
    void BeginSweep();
    void BeginStep();
    void HoldCycle();
    void AfterRead(std::optional<int16_t> level);
    void AfterPause();
    void FinishStep();
    void EndOfSweep();

    // A receiver's answer that comes back after its run has ended goes nowhere.
    Receiver::Then InThisRun(Receiver::Then next);

    State& state_;
    Receiver& receiver_;
    Plot& plot_;
    Panel& panel_;
    platform::Scheduler& scheduler_;

    std::vector<SweepListener*> listeners_;
    bool running_ = false;
    unsigned run_ = 0;           // counts the runs begun and ended
    bool receiverAway_ = false;  // the status says "no receiver"
    int16_t Holding = 0;
    int step_ = 0;          // the current step tunes StartMHz + step_ x 0.0125 MHz
    int lastStep_ = 0;      // the sweep's last step, taken when its frequency loop began
    SweepSummary summary_;  // of the sweep under way
};

}  // namespace nerimo
