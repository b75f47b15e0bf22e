#pragma once

#include <QByteArray>

#include "MessageBox.h"
#include "Radio.h"
#include "Receiver.h"
#include "ReceiverPresence.h"
#include "Scheduler.h"
#include "State.h"

namespace nerimo {

// The level 0 to 16 for a signal strength in dB relative to S9: one level per S-unit of 6 dB from
// -48 dB (1) to S9 (9), one per 10 dB above it, at most 16; below -48 dB, no signal.
int16_t LevelFromStrength(int decibels);

// A radio that Hamlib drives (RIG=), on a serial line or through a rigctld on another machine.
// Each step sets the frequency, and the mode when it differs from the last one set; the level is
// the strength read after the wait. A time-out or an I/O error closes the radio, and it is tried
// again every 2 s, as the receiver's own port is; a radio that never can be swept (an unknown
// model, one with no signal strength) is not.
class HamlibReceiver : public Receiver {
  public:
    HamlibReceiver(State& state, platform::Radio& radio, platform::MessageBox& messages,
                   platform::Scheduler& retry);

    void OpenPort(Opened opened) override;
    void ClosePort() override;
    bool IsOpen() const override { return open_; }
    bool Answering() const override { return open_ && !presence_.Silent(); }
    // DEVICE= or COM='s port; for a rigctld (RIG=2) its host:port, localhost and port 4532 where
    // DEVICE= leaves them out, as rigctld's own defaults.
    QString Name() const override;
    void StartRun() override {}
    void Tune(Then then) override;
    void ReadLevel(Reading then) override;

  private:
    // `first`: the open at start-up, not a later attempt.
    void Open(bool first);
    void SetFrequency(Then then);
    // A call that timed out or failed: the radio is closed and tried again.
    void Lost(const platform::RadioResult& result);

    State& state_;
    platform::Radio& radio_;
    platform::MessageBox& messages_;
    ReceiverPresence presence_;
    Opened opened_;
    bool open_ = false;
    bool closed_ = false;  // by the program, for good
    QByteArray mode_;      // the mode letter last set; none since the radio opened
};

}  // namespace nerimo
