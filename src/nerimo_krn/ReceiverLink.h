#pragma once

#include <QByteArray>

#include "MessageBox.h"
#include "Receiver.h"
#include "ReceiverPresence.h"
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
    // because it died (an adapter unplugged), it is tried again every 2 s.
    void OpenPort(Opened opened) override;
    void ClosePort() override;
    bool IsOpen() const override { return port_.IsOpen(); }
    bool Answering() const override;
    QString Name() const override { return PortName(state_); }
    // DiscardInput.
    void StartRun() override;
    void Tune(Then then) override;
    void ReadLevel(Reading then) override;

    // Writes FreqText followed by ModeLetter, nothing else. False when the write failed.
    bool SendTuneCommand();
    // Four reads that throw away replies still pending from before the run.
    void DiscardInput();
    // Reads what the receiver sent since the last read and decodes its last letter; sets
    // ReplyText. Nothing when nothing came, or the port is not open.
    std::optional<int16_t> ReadLevel();

  private:
    platform::OpenResult Open();
    void Reopen();

    State& state_;
    platform::SerialPort& port_;
    platform::MessageBox& messages_;
    ReceiverPresence presence_;
    Opened opened_;
};

}  // namespace nerimo
