#include "Sweep.h"

#include "PlotGeometry.h"
#include "WaitSeconds.h"

namespace nerimo {

namespace {

constexpr double kStepMHz = 0.0125;
constexpr double kReplyWaitSeconds = 0.185;
constexpr double kHoldCycleSeconds = 1.0;
constexpr int16_t kHoldPause = 99;
const QColor kScanGreen(0, 255, 0);
const QColor kPauseRed(255, 0, 0);

}  // namespace

Sweep::Sweep(State& state, ReceiverLink& link, Plot& plot, Panel& panel,
             platform::Scheduler& scheduler)
    : state_(state), link_(link), plot_(plot), panel_(panel), scheduler_(scheduler) {}

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
    Holding = 0;
    state_.StepCount = 0;
    link_.StartRun();
    state_.SignalLevel = 0;
    link_.DiscardInput();
    BeginSweep();
}

void Sweep::End() {
    scheduler_.Cancel();
    if (!running_) {
        return;
    }
    running_ = false;
    Holding = 0;
    state_.StepCount = 0;
    state_.PrevX = 0;
    state_.PrevY = 0;
}

void Sweep::BeginSweep() {
    plot_.PreparePlot();
    end_ = state_.EndMHz;
    f_ = state_.StartMHz;
    if (f_ <= end_) {
        BeginStep();
    } else {
        EndOfSweep();
    }
}

void Sweep::BeginStep() {
    link_.FormatFreqText(f_);
    link_.SendTuneCommand();  // a failed write is skipped
    panel_.SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(state_.FreqText));
    HoldCycle();
}

// Where a hold cycle starts again: let window events run, wait for the receiver, read.
void Sweep::HoldCycle() {
    scheduler_.Soon(
        [this] { WaitSeconds(scheduler_, kReplyWaitSeconds, [this] { ReadAndPlot(); }); });
}

void Sweep::ReadAndPlot() {
    link_.ReadLevel();
    if (Holding == 0) {
        plot_.PlotLevel();
    }
    if (state_.SignalLevel > 0 && state_.PauseSeconds > 0 && state_.PauseSeconds != kHoldPause) {
        // A stop already taken keeps the idle panel's empty status; the pause still runs out.
        if (state_.StopRequested == 0) {
            panel_.SetStatus(kPauseRed, QStringLiteral("pause"));
        }
        WaitSeconds(scheduler_, state_.PauseSeconds, [this] { AfterPause(); });
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
        f_ = end_;
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
        return;
    }
    f_ += kStepMHz;
    if (f_ <= end_) {
        BeginStep();
    } else {
        EndOfSweep();
    }
}

void Sweep::EndOfSweep() {
    state_.StepCount = 0;
    state_.PrevX = 0;
    state_.PrevY = 0;
    if (state_.StopRequested == 0) {
        BeginSweep();
        return;
    }
    running_ = false;
}

}  // namespace nerimo
