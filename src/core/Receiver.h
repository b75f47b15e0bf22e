#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "Mode.h"
#include "Settings.h"
#include "SweepPlan.h"

namespace nerimo {

// How the first attempt to open a receiver went.
struct OpenOutcome {
    bool opened = false;
    bool permanent = false;  // it never will be: no use trying again
};

// The sweep's view of a receiver: tuned step by step, its level read after each tuning. Each
// may answer at once (the receiver's own protocol on its serial line) or later (a radio that
// Hamlib drives, whose calls run on a thread of their own). Answers that come back after their
// run has ended go nowhere.
class Receiver {
  public:
    using Then = std::function<void()>;
    // The level 0 to 16, or nothing when the receiver did not answer.
    using Reading = std::function<void(std::optional<int> level)>;
    using Opened = std::function<void(const OpenOutcome&)>;
    // What keeps the receiver from answering, for the user, as it changes: what it is and what
    // to do; empty once the receiver answers.
    using Trouble = std::function<void(const QString& text)>;
    virtual ~Receiver() = default;

    // At start-up: opens the receiver the settings name; a failure is shown in a message. While
    // the receiver is closed, because it could not be opened or because it went away, it is tried
    // again every 2 s, unless it never can be. `opened` hears how this first attempt went, and
    // again each time the receiver opens after that.
    virtual void OpenPort(Opened opened) = 0;
    // Tells `trouble` what keeps the receiver from answering, as it changes, from now on.
    virtual void ShowTroubleIn(Trouble trouble) = 0;
    // Closes the port, ignoring failures, and tries no more.
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;
    // Open, and it answered at least one of its last 8 reads.
    virtual bool Answering() const = 0;
    // Where the receiver is, for messages: its device, or a rigctld's address.
    virtual QString Name() const = 0;
    // How long after a tuning the level is read: the receiver's own protocol's 0.185 s.
    virtual double SettleSeconds() const { return kDefaultSettleMs / 1000.0; }
    // Why a plan of steps cannot be swept on this receiver; nothing when it can. A receiver
    // not yet open may not know.
    virtual std::optional<QString> RefusesPlan(const SweepPlan& plan) const = 0;
    // A mode the receiver said it cannot take: a list's channels in it are not scanned.
    virtual bool Refuses(Mode) const { return false; }
    // Whether the receiver receives the frequency, as far as it has said; a list's channels it
    // does not receive are not scanned.
    virtual bool Receives(long long) const { return true; }

    // A run begins: replies still pending from before it are thrown away.
    void StartRun() {
        ++run_;
        DiscardPending();
    }
    // The run has ended: answers still on their way go nowhere.
    void EndRun() { ++run_; }
    // Tunes to the frequency in the mode; `then` runs once the receiver has taken it, or at once
    // when it cannot be sent.
    void Tune(long long hertz, Mode mode, Then then) { SendTune(hertz, mode, InRun(then)); }
    // Reads the level of the tuned frequency; `then` gets it once it is there.
    void ReadLevel(Reading then) { Read(InRun(then)); }

  protected:
    virtual void DiscardPending() = 0;
    virtual void SendTune(long long hertz, Mode mode, Then then) = 0;
    virtual void Read(Reading then) = 0;

  private:
    template <typename Answer>
    Answer InRun(Answer answer) {
        return [this, run = run_, answer = std::move(answer)](auto... values) {
            if (run == run_ && answer) {
                answer(values...);
            }
        };
    }

    unsigned run_ = 0;  // counts the runs begun and ended
};

}  // namespace nerimo
