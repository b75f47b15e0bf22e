#pragma once

#include <QByteArray>

#include "MessageBox.h"
#include "Receiver.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "State.h"

namespace nerimo {

// The receiver's own protocol on its serial line: the port, the tuning command and the level
// reply, each answered at once.
class ReceiverLink : public Receiver {
  public:
    // `retry` times the attempts to open the port again.
    ReceiverLink(State& state, platform::SerialPort& port, platform::MessageBox& messages,
                 platform::Scheduler& retry);

    // The port named by DEVICE= or COM=. While it is closed, because it could not be opened or
    // because it died (an adapter unplugged, a receiver switched off), it is tried again every
    // 2 s, quietly: one line on standard error when it goes and when it comes back.
    void OpenPort() override;
    void ClosePort() override;
    bool IsOpen() const override { return port_.IsOpen(); }
    // Empties the run's raw text, then DiscardInput.
    void StartRun() override;
    void Tune(Then then) override;
    void ReadLevel(Then then) override;

    // Writes FreqText followed by ModeLetter, nothing else. False when the write failed.
    bool SendTuneCommand();
    // Four reads that throw away replies still pending from before the run.
    void DiscardInput();
    // Reads what the receiver sent and decodes its last letter into SignalLevel.
    void ReadLevel();

  private:
    platform::OpenResult Open();
    void Reopen();
    void RetryLater();
    void ReadRawText();

    State& state_;
    platform::SerialPort& port_;
    platform::MessageBox& messages_;
    platform::Scheduler& retry_;
    QByteArray rawText_;  // the last successful read of the current run
};

}  // namespace nerimo
