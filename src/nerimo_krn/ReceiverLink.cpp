#include "ReceiverLink.h"

#include <QDebug>

namespace nerimo {

namespace {

constexpr int kDiscardReads = 4;
constexpr double kRetrySeconds = 2.0;

}  // namespace

ReceiverLink::ReceiverLink(State& state, platform::SerialPort& port, platform::MessageBox& messages,
                           platform::Scheduler& retry)
    : state_(state), port_(port), messages_(messages), retry_(retry) {
    // A port that dies has nothing more to say: the run plots level 0 from then on, not the
    // last letter it read before, until the port opens again.
    port_.OnDied([this] {
        rawText_.clear();
        qWarning().noquote() << QStringLiteral(
                                    "Nerimo: %1: the receiver is gone; trying again "
                                    "every 2 s")
                                    .arg(PortName(state_));
        RetryLater();
    });
}

platform::OpenResult ReceiverLink::Open() {
    port_.SetPortName(PortName(state_));
    port_.SetLineSettings();
    port_.SetHardwareFlowControl();
    port_.SetRequestToSend(true);
    port_.SetDataTerminalReady(true);
    return port_.Open();
}

void ReceiverLink::Reopen() {
    if (!Open().opened) {
        RetryLater();
        return;
    }
    qWarning().noquote()
        << QStringLiteral("Nerimo: %1: the receiver is back").arg(PortName(state_));
}

void ReceiverLink::OpenPort() {
    const platform::OpenResult result = Open();
    if (result.opened) {
        return;
    }
    const QString text = OpenFailureText(state_, PortName(state_), result.description,
                                         result.permissionDenied, result.heldElsewhere);
    messages_.Show(text);
    RetryLater();
}

void ReceiverLink::RetryLater() {
    retry_.After(kRetrySeconds, [this] { Reopen(); });
}

void ReceiverLink::ClosePort() {
    retry_.Cancel();
    port_.Close();
}

bool ReceiverLink::SendTuneCommand() {
    return port_.Write(state_.FreqText + state_.ModeLetter);
}

void ReceiverLink::Tune(Then then) {
    SendTuneCommand();  // a failed write is skipped
    then();
}

void ReceiverLink::StartRun() {
    rawText_.clear();
    DiscardInput();
}

void ReceiverLink::ReadRawText() {
    // A failed read leaves the run's raw text as it was.
    if (std::optional<QByteArray> read = port_.ReadAll()) {
        rawText_ = std::move(*read);
    }
}

void ReceiverLink::DiscardInput() {
    for (int i = 0; i < kDiscardReads; ++i) {
        ReadRawText();
    }
}

void ReceiverLink::ReadLevel(Then then) {
    ReadLevel();
    then();
}

void ReceiverLink::ReadLevel() {
    ReadRawText();
    QByteArray reply = rawText_;
    if (!reply.isEmpty()) {
        reply.replace('\r', QByteArray());
        reply.replace('\n', QByteArray());
        reply = reply.right(1);
    }
    state_.ReplyText = reply;
    state_.SignalLevel = 0;
    if (reply.size() == 1 && reply[0] >= 'A' && reply[0] <= 'P') {
        state_.SignalLevel = static_cast<int16_t>(reply[0] - 'A' + 1);
    }
}

}  // namespace nerimo
