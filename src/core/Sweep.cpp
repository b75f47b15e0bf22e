#include "Sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    hangLeft_ = 0;
    elapsed_ = 0;
    lastLook_.clear();
    resumeAfter_.reset();
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

Mode Sweep::StepMode() const {
    return plan_.steps[size_t(step_)].mode.value_or(mode_);
}

bool Sweep::LockedOut(int step) const {
    return lockouts_.Locks(plan_.HertzAt(step), plan_.stepHertz);
}

bool Sweep::Skipped(int step) const {
    return LockedOut(step) || !receiver_->Receives(plan_.HertzAt(step)) ||
           receiver_->Refuses(plan_.steps[size_t(step)].mode.value_or(mode_));
}

bool Sweep::Signal() const {
    if (level_ <= 0 || LockedOut(step_)) {
        return false;
    }
    return !plan_.channels ||
           level_ >= settings_.activityLevel.value_or(floor_.Level() + kActivityMargin);
}

void Sweep::Wait(double seconds, Scheduler::Task then) {
    elapsed_ += std::max(seconds, 0.0);
    WaitSeconds(scheduler_, seconds, std::move(then));
}

double Sweep::SecondsToLook(int step) const {
    return settings_.priorityEverySeconds - (elapsed_ - lastLook_[size_t(step)]);
}

bool Sweep::Looked(int step) const {
    return plan_.steps[size_t(step)].priority && step != step_ && !Skipped(step);
}

double Sweep::SecondsToPriority() const {
    double seconds = std::numeric_limits<double>::infinity();
    if (!hasPriority_ || stopRequested_ || plan_.steps[size_t(step_)].priority) {
        return seconds;
    }
    for (int step = 0; step < plan_.Count(); ++step) {
        if (Looked(step)) {
            seconds = std::min(seconds, SecondsToLook(step));
        }
    }
    return seconds;
}

bool Sweep::PriorityDue() const {
    return SecondsToPriority() <= 0;
}

void Sweep::LookAtPriority(int from, int resumeAfter, Scheduler::Task then) {
    int look = from;
    while (look < plan_.Count() && (!Looked(look) || SecondsToLook(look) > 0)) {
        ++look;
    }
    if (look >= plan_.Count() || stopRequested_) {
        then();
        return;
    }
    const PlanStep& channel = plan_.steps[size_t(look)];
    lastLook_[size_t(look)] = elapsed_;
    receiver_->Tune(channel.hertz, channel.mode.value_or(mode_), [=, this] {
        Wait(receiver_->SettleSeconds(), [=, this] {
            receiver_->ReadLevel([=, this](std::optional<int> level) {
                const int before = level_;
                const int was = step_;
                step_ = look;
                level_ = level.value_or(0);
                if (Signal() && !stopRequested_) {
                    TakeOver(resumeAfter);
                    return;
                }
                step_ = was;
                level_ = before;
                LookAtPriority(look + 1, resumeAfter, then);
            });
        });
    });
}

void Sweep::TakeOver(int resumeAfter) {
    if (!resumeAfter_) {
        resumeAfter_ = resumeAfter;
    }
    hangLeft_ = settings_.hangSeconds;
    panel_.SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(FreqText(StepHertz())));
    if (holding_) {  // the hold goes on, on the priority channel
        scheduler_.Soon([this] { FinishStep(); });
        return;
    }
    Decide();
}

void Sweep::EndRun() {
    running_ = false;
    floor_.RunEnded();
    receiver_->EndRun();
    for (SweepListener* listener : listeners_) {
        listener->RunEnded();
    }
}

void Sweep::BeginSweep() {
    // The steps are counted, not the frequency added up: 0.0125 MHz has no exact binary form, and
    // a sum of 80 or 640 of them can pass the end and lose the last step.
    plan_ = fixedPlan_ ? *fixedPlan_ : SpanPlan(settings_.startMHz, spanMHz_);
    // A list's channels are drawn as bars, by those who listen to the sweep, not as a trace.
    if (!plan_.channels) {
        plot_.PreparePlot(panel_.ClearAtStart(), panel_.Grid());
    }
    step_ = 0;
    tunedInSweep_ = 0;
    hasPriority_ = std::any_of(plan_.steps.begin(), plan_.steps.end(),
                               [](const PlanStep& step) { return step.priority; });
    if (lastLook_.size() != plan_.steps.size()) {
        lastLook_.assign(plan_.steps.size(), elapsed_);
    }
    summary_ = {};
    const SweepStart start{plan_, clock_.Now(), mode_};
    for (SweepListener* listener : listeners_) {
        listener->SweepBegan(start);
    }
    BeginStep();
}

void Sweep::BeginStep() {
    if (plan_.channels) {
        // A channel locked out, or in a mode the receiver refused, is never tuned.
        while (step_ < plan_.Count() && Skipped(step_)) {
            ++step_;
        }
        if (step_ >= plan_.Count()) {
            EndOfSweep();
            return;
        }
        if (PriorityDue()) {
            LookAtPriority(0, step_ - 1, [this] { TuneStep(); });
            return;
        }
    }
    TuneStep();
}

void Sweep::TuneStep() {
    ++tunedInSweep_;
    if (hasPriority_) {  // a priority channel tuned in its turn is looked at too
        lastLook_[size_t(step_)] = elapsed_;
    }
    // While the port is closed, or the receiver answers nothing, the status says so, instead of
    // "scan" over a flat trace.
    if (!stopRequested_ && receiver_->Answering() == receiverAway_) {
        receiverAway_ = !receiverAway_;
        panel_.SetStatus(receiverAway_ ? Status::NoReceiver : Status::Scan);
    }
    // The wait counts from the command, once the receiver has taken it.
    receiver_->Tune(StepHertz(), StepMode(), [this] {
        if (plan_.channels && receiver_->Refuses(StepMode())) {  // refused just now: no read
            scheduler_.Soon([this] { NextStep(); });
            return;
        }
        HoldCycle();
    });
    panel_.SetTunedText(QStringLiteral("MHz ") + QString::fromLatin1(FreqText(StepHertz())));
}

// Where a hold cycle starts again: wait for the receiver, then read. Window events run inside
// the wait, and so does the repaint of the segment drawn last and of the tuned frequency, where
// they cost the pace nothing: the 0.185 s (a Hamlib radio's SETTLE=) count from the command.
void Sweep::HoldCycle() {
    Wait(receiver_->SettleSeconds(),
         [this] { receiver_->ReadLevel([this](std::optional<int> level) { AfterRead(level); }); });
    plot_.Present();
}

void Sweep::AfterRead(std::optional<int> level) {
    // No answer is level 0 on the plot, as the receiver's silence always was.
    level_ = level.value_or(0);
    if (!holding_ && plan_.channels && level) {
        floor_.Take(*level);
    }
    if (!holding_) {
        if (!plan_.channels) {
            plot_.PlotLevel(level_);
        }
        const Reply reply = level                 ? Reply::Answered
                            : receiver_->IsOpen() ? Reply::Silent
                                                  : Reply::NoReceiver;
        summary_.Count(reply);
        for (SweepListener* listener : listeners_) {
            listener->Measured(StepHertz(), level_, reply);
        }
    }
    Decide();
}

void Sweep::Decide() {
    if (Signal() && settings_.pause.kind == Pause::Kind::Dwell) {
        // A stop already taken keeps the idle panel's empty status; the pause still runs out.
        if (!stopRequested_) {
            panel_.SetStatus(Status::Pause);
        }
        dwellLeft_ = settings_.pause.seconds;
        DwellPiece();
        plot_.Present();
        return;
    }
    scheduler_.Soon([this] { FinishStep(); });
}

// A dwell, in pieces when priority channels are to be looked at while it lasts.
void Sweep::DwellPiece() {
    const double untilLook = SecondsToPriority();
    if (untilLook >= dwellLeft_) {
        Wait(dwellLeft_, [this] { AfterPause(); });
        return;
    }
    const double piece = std::max(0.0, untilLook);
    dwellLeft_ -= piece;
    Wait(piece, [this] {
        LookAtPriority(0, step_, [this] {
            receiver_->Tune(StepHertz(), StepMode(), [this] { DwellPiece(); });
        });
    });
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
        hangLeft_ = 0;
    }
    // A list's hold goes on a while after its signal dropped.
    const bool hanging = holding_ && !Signal() && hangLeft_ > 0 && !stopRequested_;
    if (hanging) {
        --hangLeft_;
    }
    if (!Signal() && holding_ && !hanging) {
        if (!stopRequested_) {
            panel_.SetStatus(Status::Scan);
        }
        panel_.SetContinueOffered(false);
        holding_ = false;
    }
    if (stopRequested_) {
        step_ = plan_.Count() - 1;
        holding_ = false;
        resumeAfter_.reset();
    }
    if ((Signal() || hanging) && settings_.pause.kind == Pause::Kind::Hold && !stopRequested_) {
        if (!holding_) {
            panel_.SetStatus(Status::Pause);
            holding_ = true;
            panel_.SetContinueOffered(true);
        }
        if (Signal() && plan_.channels) {
            hangLeft_ = settings_.hangSeconds;
        }
        // The tuning command is not sent again in a band: each cycle reads what the receiver
        // says now. A list's channel is tuned again each cycle, so that the receiver's answer
        // says whether the channel is still busy, and after a look at the priority channels.
        Wait(kHoldCycleSeconds, [this] {
            if (!plan_.channels) {
                HoldCycle();
                return;
            }
            const auto again = [this] {
                receiver_->Tune(StepHertz(), StepMode(), [this] { HoldCycle(); });
            };
            if (PriorityDue()) {
                LookAtPriority(0, step_, again);
                return;
            }
            again();
        });
        plot_.Present();
        return;
    }
    NextStep();
}

void Sweep::NextStep() {
    if (resumeAfter_) {  // the scan goes on after the channel a priority one took over from
        step_ = *resumeAfter_;
        resumeAfter_.reset();
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
    if (plan_.channels) {
        floor_.SweepEnded();
    }
    if (!stopRequested_) {
        if (tunedInSweep_ == 0) {  // every channel locked out: no pass at full speed
            Wait(kHoldCycleSeconds, [this] { BeginSweep(); });
            return;
        }
        BeginSweep();
        return;
    }
    EndRun();
    plot_.Present();
}

}  // namespace nerimo
