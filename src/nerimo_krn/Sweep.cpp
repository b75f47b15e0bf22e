#include "Sweep.h"

#include <cmath>

#include "PlotGeometry.h"
#include "WaitSeconds.h"

namespace nerimo {

namespace {

constexpr double kStepMHz = 0.0125;
constexpr double kReplyWaitSeconds = 0.185;
constexpr double kHoldCycleSeconds = 1.0;
constexpr int16_t kHoldPause = 99;
const QColor kScanGreen(0, 255, 0);
const QColor kPauseRed(255, 0, 0);  // also "no receiver"

}  // namespace

Sweep::Sweep(State& state, Receiver& receiver, Plot& plot, Panel& panel,
             platform::Scheduler& scheduler)
    : state_(state), receiver_(receiver), plot_(plot), panel_(panel), scheduler_(scheduler) {}

Receiver::Then Sweep::InThisRun(Receiver::Then next) {
    return [this, run = run_, next = std::move(next)] {
        if (run == run_) {
            next();
        }
    };
}

void Sweep::RunSweep() {
    // No nested runs: a stopped run still finishing its step ends here, as its stop would end it.
    End();
    running_ = true;

    if (panel_.OptionSelected(1)) {
        state_.ModeLetter = "N";
    }
    if (panel_.OptionSelected(2)) {
        state_.ModeLetter = "A";
    }
    if (panel_.OptionSelected(3)) {
        state_.SpanMHz = 1;
    }
    if (panel_.OptionSelected(4)) {
        state_.SpanMHz = 8;
    }
    state_.PixelsPerStep = PixelsPerStepFor(state_.SpanMHz);
    receiverAway_ = false;
    Holding = 0;
    state_.StepCount = 0;
    state_.SignalLevel = 0;
    receiver_.StartRun();
    BeginSweep();
}

void Sweep::End() {
    scheduler_.Cancel();
    if (!running_) {
        return;
    }
    running_ = false;
    ++run_;
    if (state_.StepCount > 0) {  // a sweep under way: what it measured stays
        for (SweepListener* listener : listeners_) {
            listener->SweepEnded(summary_);
        }
    }
    Holding = 0;
    state_.StepCount = 0;
    state_.PrevX = 0;
    state_.PrevY = 0;
    plot_.Present();
}

void Sweep::BeginSweep() {
    plot_.PreparePlot();
    // The steps are counted, not the frequency added up: 0.0125 MHz has no exact binary form, and
    // a sum of 80 or 640 of them can pass the end and lose the last step.
    lastStep_ = static_cast<int>(std::lround((state_.EndMHz - state_.StartMHz) / kStepMHz));
    step_ = 0;
    summary_ = {};
    for (SweepListener* listener : listeners_) {
        listener->SweepBegan();
    }
    BeginStep();
}

void Sweep::BeginStep() {
    // While the port is closed, or the receiver answers nothing, the status says so, instead of
    // "scan" over a flat trace.
    if (state_.StopRequested == 0 && receiver_.Answering() == receiverAway_) {
        receiverAway_ = !receiverAway_;
        panel_.SetStatus(receiverAway_ ? kPauseRed : kScanGreen,
                         receiverAway_ ? QStringLiteral("no receiver") : QStringLiteral("scan"));
    }
    FormatFreqText(state_, state_.StartMHz + step_ * kStepMHz);
    // The wait counts from the command, once the receiver has taken it.
    receiver_.Tune(InThisRun([this] { HoldCycle(); }));
    panel_.SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(state_.FreqText));
}

// Where a hold cycle starts again: wait for the receiver, then read. Window events run inside
// the wait, and so does the repaint of the segment drawn last and of the tuned frequency, where
// they cost the pace nothing: the 0.185 s count from the command.
void Sweep::HoldCycle() {
    WaitSeconds(scheduler_, kReplyWaitSeconds, [this] {
        receiver_.ReadLevel([this, run = run_](std::optional<int16_t> level) {
            if (run == run_) {
                AfterRead(level);
            }
        });
    });
    plot_.Present();
}

void Sweep::AfterRead(std::optional<int16_t> level) {
    // No answer is level 0 on the plot, as the receiver's silence always was.
    state_.SignalLevel = level.value_or(0);
    if (Holding == 0) {
        plot_.PlotLevel();
        const Reply reply = level                ? Reply::Answered
                            : receiver_.IsOpen() ? Reply::Silent
                                                 : Reply::NoReceiver;
        summary_.Count(reply);
        for (SweepListener* listener : listeners_) {
            listener->Measured(state_.StartMHz + step_ * kStepMHz, state_.SignalLevel, reply);
        }
    }
    if (state_.SignalLevel > 0 && state_.PauseSeconds > 0 && state_.PauseSeconds != kHoldPause) {
        // A stop already taken keeps the idle panel's empty status; the pause still runs out.
        if (state_.StopRequested == 0) {
            panel_.SetStatus(kPauseRed, QStringLiteral("pause"));
        }
        WaitSeconds(scheduler_, state_.PauseSeconds, [this] { AfterPause(); });
        plot_.Present();
        return;
    }
    scheduler_.Soon([this] { FinishStep(); });
}

void Sweep::AfterPause() {
    if (state_.StopRequested == 0) {
        panel_.SetStatus(kScanGreen, QStringLiteral("scan"));
    }
    scheduler_.Soon([this] { FinishStep(); });
}

void Sweep::FinishStep() {
    if (state_.ContinueRequested == 1) {
        state_.SignalLevel = 0;
        state_.ContinueRequested = 0;
    }
    if (state_.SignalLevel == 0 && Holding == 1) {
        if (state_.StopRequested == 0) {
            panel_.SetStatus(kScanGreen, QStringLiteral("scan"));
        }
        panel_.SetContinueOffered(false);
        Holding = 0;
    }
    if (state_.StopRequested == 1) {
        step_ = lastStep_;
        Holding = 0;
    }
    if (state_.SignalLevel > 0 && state_.PauseSeconds == kHoldPause && state_.StopRequested == 0) {
        if (Holding == 0) {
            panel_.SetStatus(kPauseRed, QStringLiteral("pause"));
            Holding = 1;
            panel_.SetContinueOffered(true);
        }
        // The tuning command is not sent again: each cycle reads what the receiver says now.
        WaitSeconds(scheduler_, kHoldCycleSeconds, [this] { HoldCycle(); });
        plot_.Present();
        return;
    }
    if (++step_ <= lastStep_) {
        BeginStep();
    } else {
        EndOfSweep();
    }
}

void Sweep::EndOfSweep() {
    for (SweepListener* listener : listeners_) {
        listener->SweepEnded(summary_);
    }
    state_.StepCount = 0;
    state_.PrevX = 0;
    state_.PrevY = 0;
    if (state_.StopRequested == 0) {
        BeginSweep();
        return;
    }
    running_ = false;
    plot_.Present();
}

}  // namespace nerimo
