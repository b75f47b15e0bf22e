#include "SerialReceiver.h"

#include "Frequency.h"
#include "PortMessages.h"

namespace nerimo {

namespace {

constexpr int kDiscardReads = 4;

}  // namespace

SerialReceiver::SerialReceiver(const Settings& settings, SerialPort& port, MessageBox& messages,
                               Scheduler& retry)
    : settings_(settings),
      port_(port),
      presence_(
          retry, [this] { return Name(); }, messages) {
    port_.OnDied([this] { presence_.Gone({}, [this] { Reopen(); }); });
}

QString SerialReceiver::Name() const {
    return PortName(settings_);
}

OpenResult SerialReceiver::Open() {
    port_.SetPortName(Name());
    port_.SetLineSettings();
    port_.SetHardwareFlowControl();
    port_.SetRequestToSend(true);
    port_.SetDataTerminalReady(true);
    return port_.Open();
}

void SerialReceiver::Reopen() {
    if (!Open().opened) {
        presence_.Later([this] { Reopen(); });
        return;
    }
    presence_.Back();
    opened_({true, false});
}

void SerialReceiver::OpenPort(Opened opened) {
    opened_ = std::move(opened);
    const OpenResult result = Open();
    if (!result.opened) {
        presence_.Unopened(OpenFailureText(settings_, Name(), result.description,
                                           result.permissionDenied, result.heldElsewhere),
                           true, true);
        presence_.Later([this] { Reopen(); });
    }
    opened_({result.opened, false});
}

void SerialReceiver::ClosePort() {
    presence_.Cancel();
    port_.Close();
}

bool SerialReceiver::Answering() const {
    return port_.IsOpen() && !presence_.Silent();
}

bool SerialReceiver::SendTuneCommand(long long hertz, Mode mode) {
    return port_.Write(FreqText(hertz) + ModeLetter(mode));
}

void SerialReceiver::SendTune(long long hertz, Mode mode, Then then) {
    SendTuneCommand(hertz, mode);  // a failed write is skipped
    then();
}

void SerialReceiver::DiscardPending() {
    for (int i = 0; i < kDiscardReads; ++i) {
        port_.ReadAll();
    }
}

void SerialReceiver::Read(Reading then) {
    then(ReadReply());
}

std::optional<int> SerialReceiver::ReadReply() {
    const std::optional<QByteArray> read = port_.ReadAll();
    QByteArray reply = read.value_or(QByteArray());
    if (!reply.isEmpty()) {
        reply.replace('\r', QByteArray());
        reply.replace('\n', QByteArray());
        reply = reply.right(1);
    }
    replyText_ = reply;
    if (!read) {  // no port: no receiver, no answer
        return std::nullopt;
    }
    const bool answered = !read->isEmpty();
    presence_.Read(answered);
    if (!answered) {
        return std::nullopt;
    }
    // Anything but a level letter, a lone CR LF among them, is an answer at level 0.
    return reply.size() == 1 && reply[0] >= 'A' && reply[0] <= 'P' ? reply[0] - 'A' + 1 : 0;
}

std::optional<QString> SerialReceiver::RefusesPlan(const SweepPlan& plan) const {
    if (plan.stepHertz % 100 != 0 || plan.FirstHertz() % 100 != 0) {
        return QStringLiteral(
            "The receiver is tuned in hundreds of Hz: the range's start and "
            "step must be whole hundreds of Hz.");
    }
    if (plan.FirstHertz() < kLowestHertz || plan.LastHertz() > kHighestHertz) {
        return QStringLiteral("The receiver tunes 0.1 to 2036 MHz.");
    }
    return std::nullopt;
}

}  // namespace nerimo
