#pragma once

#include <QByteArray>

#include "MessageBox.h"
#include "SerialPort.h"
#include "State.h"

namespace nerimo {

// The program's only contact with the receiver: the port, the tuning command and the level reply.
class ReceiverLink {
  public:
    ReceiverLink(State& state, platform::SerialPort& port, platform::MessageBox& messages);

    // Configures the port named by DEVICE= or COM= and opens it; a failure is shown in a message
    // and the port stays closed for good.
    void OpenPort();
    // Closes the port, ignoring failures.
    void ClosePort();

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
    void ReadRawText();

    State& state_;
    platform::SerialPort& port_;
    platform::MessageBox& messages_;
    QByteArray rawText_;  // the last successful read of the current run
};

}  // namespace nerimo
