#include "Sweep.h"

#include <cmath>

#include "Frequency.h"
#include "WaitSeconds.h"

namespace nerimo {

namespace {

constexpr double kHoldCycleSeconds = 1.0;

}  // namespace

Sweep::Sweep(const Settings& settings, const Lockouts& lockouts, Receiver& receiver, Plot& plot,
             Panel& panel, Scheduler& scheduler, const Clock& clock)
    : settings_(settings),
      lockouts_(lockouts),
      receiver_(&receiver),
      plot_(plot),
      panel_(panel),
      scheduler_(scheduler),
      clock_(clock) {}

void Sweep::RunSweep() {
    // No nested runs: a stopped run still finishing its step ends here, as its stop would end it.
    End();
    running_ = true;
    stopRequested_ = false;
    continueRequested_ = false;
    mode_ = panel_.ChosenMode();
    spanMHz_ = panel_.ChosenSpanMHz();
    plot_.SetSpan(spanMHz_);
    receiverAway_ = false;
    holding_ = false;
    plot_.NewTrace();
    level_ = 0;
    receiver_->StartRun();
    BeginSweep();
}

void Sweep::RequestStop() {
    stopRequested_ = true;
    continueRequested_ = false;
}

void Sweep::End() {
    scheduler_.Cancel();
    if (!running_) {
        return;
    }
    if (summary_.steps > 0) {  // a sweep under way: what it measured stays
        for (SweepListener* listener : listeners_) {
            listener->SweepEnded(summary_);
        }
    }
    EndRun();
    holding_ = false;
    plot_.NewTrace();
    plot_.Present();
}

long long Sweep::StepHertz() const {
    return plan_.HertzAt(step_);
}

bool Sweep::Signal() const {
    return level_ > 0 && !lockouts_.Locks(StepHertz(), plan_.stepHertz);
}

void Sweep::EndRun() {
    running_ = false;
    receiver_->EndRun();
    for (SweepListener* listener : listeners_) {
        listener->RunEnded();
    }
}

void Sweep::BeginSweep() {
    plot_.PreparePlot(panel_.ClearAtStart(), panel_.Grid());
    // The steps are counted, not the frequency added up: 0.0125 MHz has no exact binary form, and
    // a sum of 80 or 640 of them can pass the end and lose the last step.
    plan_ = fixedPlan_ ? *fixedPlan_ : SpanPlan(settings_.startMHz, spanMHz_);
    step_ = 0;
    summary_ = {};
    const SweepStart start{plan_, clock_.Now(), mode_};
    for (SweepListener* listener : listeners_) {
        listener->SweepBegan(start);
    }
    BeginStep();
}

void Sweep::BeginStep() {
    // While the port is closed, or the receiver answers nothing, the status says so, instead of
    // "scan" over a flat trace.
    if (!stopRequested_ && receiver_->Answering() == receiverAway_) {
        receiverAway_ = !receiverAway_;
        panel_.SetStatus(receiverAway_ ? Status::NoReceiver : Status::Scan);
    }
    // The wait counts from the command, once the receiver has taken it.
    receiver_->Tune(StepHertz(), plan_.steps[size_t(step_)].mode.value_or(mode_),
                    [this] { HoldCycle(); });
    panel_.SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(FreqText(StepHertz())));
}

// Where a hold cycle starts again: wait for the receiver, then read. Window events run inside
// the wait, and so does the repaint of the segment drawn last and of the tuned frequency, where
// they cost the pace nothing: the 0.185 s (a Hamlib radio's SETTLE=) count from the command.
void Sweep::HoldCycle() {
    WaitSeconds(scheduler_, receiver_->SettleSeconds(), [this] {
        receiver_->ReadLevel([this](std::optional<int> level) { AfterRead(level); });
    });
    plot_.Present();
}

void Sweep::AfterRead(std::optional<int> level) {
    // No answer is level 0 on the plot, as the receiver's silence always was.
    level_ = level.value_or(0);
    if (!holding_) {
        plot_.PlotLevel(level_);
        const Reply reply = level                 ? Reply::Answered
                            : receiver_->IsOpen() ? Reply::Silent
                                                  : Reply::NoReceiver;
        summary_.Count(reply);
        for (SweepListener* listener : listeners_) {
            listener->Measured(StepHertz(), level_, reply);
        }
    }
    if (Signal() && settings_.pause.kind == Pause::Kind::Dwell) {
        // A stop already taken keeps the idle panel's empty status; the pause still runs out.
        if (!stopRequested_) {
            panel_.SetStatus(Status::Pause);
        }
        WaitSeconds(scheduler_, settings_.pause.seconds, [this] { AfterPause(); });
        plot_.Present();
        return;
    }
    scheduler_.Soon([this] { FinishStep(); });
}

void Sweep::AfterPause() {
    if (!stopRequested_) {
        panel_.SetStatus(Status::Scan);
    }
    scheduler_.Soon([this] { FinishStep(); });
}

void Sweep::FinishStep() {
    if (continueRequested_) {
        level_ = 0;
        continueRequested_ = false;
    }
    if (!Signal() && holding_) {
        if (!stopRequested_) {
            panel_.SetStatus(Status::Scan);
        }
        panel_.SetContinueOffered(false);
        holding_ = false;
    }
    if (stopRequested_) {
        step_ = plan_.Count() - 1;
        holding_ = false;
    }
    if (Signal() && settings_.pause.kind == Pause::Kind::Hold && !stopRequested_) {
        if (!holding_) {
            panel_.SetStatus(Status::Pause);
            holding_ = true;
            panel_.SetContinueOffered(true);
        }
        // The tuning command is not sent again: each cycle reads what the receiver says now.
        WaitSeconds(scheduler_, kHoldCycleSeconds, [this] { HoldCycle(); });
        plot_.Present();
        return;
    }
    if (++step_ < plan_.Count()) {
        BeginStep();
    } else {
        EndOfSweep();
    }
}

void Sweep::EndOfSweep() {
    for (SweepListener* listener : listeners_) {
        listener->SweepEnded(summary_);
    }
    plot_.NewTrace();
    if (!stopRequested_) {
        BeginSweep();
        return;
    }
    EndRun();
    plot_.Present();
}

}  // namespace nerimo
