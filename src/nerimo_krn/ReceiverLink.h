#pragma once

#include <QByteArray>

#include "MessageBox.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "State.h"

namespace nerimo {

// The program's only contact with the receiver: the port, the tuning command and the level reply.
class ReceiverLink {
  public:
    // `retry` times the attempts to open the port again.
    ReceiverLink(State& state, platform::SerialPort& port, platform::MessageBox& messages,
                 platform::Scheduler& retry);

    // Configures the port named by DEVICE= or COM= and opens it; a failure is shown in a message.
    // While the port is closed, because it could not be opened or because it died (an adapter
    // unplugged, a receiver switched off), it is tried again every 2 s, quietly: one line on
    // standard error when it goes and when it comes back.
    void OpenPort();
    // Closes the port, ignoring failures, and tries no more.
    void ClosePort();
    bool IsOpen() const { return port_.IsOpen(); }

    // FreqText := the frequency with four decimals and a "." separator, whatever the locale.
    void FormatFreqText(double mhz);
    // Writes FreqText followed by ModeLetter, nothing else. False when the write failed.
    bool SendTuneCommand();

    // Starts a sweep run: its raw text is empty.
    void StartRun();
    // Four reads that throw away replies still pending from before the run.
    void DiscardInput();
    // Reads what the receiver sent and decodes its last letter into SignalLevel.
    void ReadLevel();

    // The name of the port that OpenPort uses: DEVICE= when given, else COM=.
    QString PortName() const;

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
