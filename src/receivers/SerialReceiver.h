#pragma once

#include <QByteArray>

#include "MessageBox.h"
#include "Receiver.h"
#include "ReceiverPresence.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "Settings.h"

namespace nerimo {

// The receiver's own protocol on its serial line: the tuning command (frequency and mode letter,
// no terminator) and the level letter it answers, each read at once.
class SerialReceiver : public Receiver {
  public:
    // `retry` times the attempts to open the port again.
    SerialReceiver(const Settings& settings, SerialPort& port, MessageBox& messages,
                   Scheduler& retry);

    // The port named by DEVICE= or COM=. While it is closed, because it could not be opened or
    // because it died (an adapter unplugged), it is tried again every 2 s.
    void OpenPort(Opened opened) override;
    void ShowTroubleIn(Trouble trouble) override { presence_.ShowTroubleIn(std::move(trouble)); }
    void ClosePort() override;
    bool IsOpen() const override { return port_.IsOpen(); }
    bool Answering() const override;
    QString Name() const override;
    // What the receiver tunes.
    static constexpr long long kLowestHertz = 100000;
    static constexpr long long kHighestHertz = 2036000000;

    // Its tuning command has four decimals of MHz: steps of whole hundreds of Hz, within 0.1 to
    // 2036 MHz.
    std::optional<QString> RefusesPlan(const SweepPlan& plan) const override;

    // Writes the frequency's text followed by the mode letter, nothing else (145.1250N). False
    // when the write failed.
    bool SendTuneCommand(long long hertz, Mode mode);
    // Reads what the receiver sent since the last read and decodes its last letter. Nothing when
    // nothing came, or the port is not open.
    std::optional<int> ReadReply();
    // The last reply as read, cut to its last character that is not CR or LF.
    const QByteArray& ReplyText() const { return replyText_; }

  protected:
    // Four reads that throw away replies still pending from before the run.
    void DiscardPending() override;
    void SendTune(long long hertz, Mode mode, Then then) override;
    void Read(Reading then) override;

  private:
    OpenResult Open();
    void Reopen();

    const Settings& settings_;
    SerialPort& port_;
    ReceiverPresence presence_;
    Opened opened_;
    QByteArray replyText_;
};

}  // namespace nerimo
