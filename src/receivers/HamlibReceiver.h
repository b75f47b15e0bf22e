#pragma once

#include <QSet>

#include "MessageBox.h"
#include "Radio.h"
#include "Receiver.h"
#include "ReceiverPresence.h"
#include "Scheduler.h"
#include "Settings.h"

namespace nerimo {

// The level 0 to 16 for a signal strength in dB relative to S9: one level per S-unit of 6 dB from
// -48 dB (1) to S9 (9), one per 10 dB above it, at most 16; below -48 dB, no signal.
int LevelFromStrength(int decibels);

// A radio that Hamlib drives (RIG=), on a serial line or through a rigctld on another machine.
// Each step sets the frequency, and the mode when it differs from the last one set; the level is
// the strength read after the wait. A time-out or an I/O error closes the radio, and it is tried
// again every 2 s, as the receiver's own port is; a radio that never can be swept (an unknown
// model, one with no signal strength) is not.
class HamlibReceiver : public Receiver {
  public:
    HamlibReceiver(const Settings& settings, Radio& radio, MessageBox& messages, Scheduler& retry);

    void OpenPort(Opened opened) override;
    void ShowTroubleIn(Trouble trouble) override { presence_.ShowTroubleIn(std::move(trouble)); }
    void ClosePort() override;
    bool IsOpen() const override { return open_; }
    bool Answering() const override { return open_ && !presence_.Silent(); }
    // DEVICE= or COM='s port; for a rigctld (RIG=2) its host:port, localhost and port 4532 where
    // DEVICE= leaves them out, as rigctld's own defaults.
    QString Name() const override;
    // SETTLE=.
    double SettleSeconds() const override { return settings_.settleMs / 1000.0; }
    // Steps of 1 Hz or more, within the frequencies the radio says it receives once it is open.
    std::optional<QString> RefusesPlan(const SweepPlan& plan) const override;
    // A mode the radio refused once, said once.
    bool Refuses(Mode mode) const override { return refused_.contains(mode); }
    // Within the ranges the radio gave at its open; any frequency before.
    bool Receives(long long hertz) const override;

  protected:
    void DiscardPending() override {}
    void SendTune(long long hertz, Mode mode, Then then) override;
    void Read(Reading then) override;

  private:
    // `first`: the open at start-up, not a later attempt.
    void Open(bool first);
    void SetFrequency(long long hertz, Then then);
    // A call that timed out or failed: the radio is closed and tried again.
    void Lost(const RadioResult& result);

    const Settings& settings_;
    Radio& radio_;
    ReceiverPresence presence_;
    Opened opened_;
    bool open_ = false;
    bool closed_ = false;          // by the program, for good
    std::optional<Mode> modeSet_;  // the mode last set; none since the radio opened
    QSet<Mode> refused_;           // modes the radio said it cannot take
    MessageBox& messages_;
    std::vector<std::pair<double, double>> ranges_;  // as the radio gave them at its open
};

}  // namespace nerimo
