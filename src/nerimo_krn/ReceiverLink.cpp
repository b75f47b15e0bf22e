#include "ReceiverLink.h"

namespace nerimo {

namespace {

constexpr int kDiscardReads = 4;

}  // namespace

ReceiverLink::ReceiverLink(State& state, platform::SerialPort& port, platform::MessageBox& messages,
                           platform::Scheduler& retry)
    : state_(state), port_(port), messages_(messages), presence_(retry, [this] { return Name(); }) {
    port_.OnDied([this] { presence_.Gone({}, [this] { Reopen(); }); });
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
        presence_.Later([this] { Reopen(); });
        return;
    }
    presence_.Back();
    opened_({true, false});
}

void ReceiverLink::OpenPort(Opened opened) {
    opened_ = std::move(opened);
    const platform::OpenResult result = Open();
    if (!result.opened) {
        messages_.Show(OpenFailureText(state_, Name(), result.description, result.permissionDenied,
                                       result.heldElsewhere));
        presence_.Later([this] { Reopen(); });
    }
    opened_({result.opened, false});
}

void ReceiverLink::ClosePort() {
    presence_.Cancel();
    port_.Close();
}

bool ReceiverLink::Answering() const {
    return port_.IsOpen() && !presence_.Silent();
}

bool ReceiverLink::SendTuneCommand() {
    return port_.Write(state_.FreqText + state_.ModeLetter);
}

void ReceiverLink::Tune(Then then) {
    SendTuneCommand();  // a failed write is skipped
    then();
}

void ReceiverLink::StartRun() {
    DiscardInput();
}

void ReceiverLink::DiscardInput() {
    for (int i = 0; i < kDiscardReads; ++i) {
        port_.ReadAll();
    }
}

void ReceiverLink::ReadLevel(Reading then) {
    then(ReadLevel());
}

std::optional<int16_t> ReceiverLink::ReadLevel() {
    const std::optional<QByteArray> read = port_.ReadAll();
    QByteArray reply = read.value_or(QByteArray());
    if (!reply.isEmpty()) {
        reply.replace('\r', QByteArray());
        reply.replace('\n', QByteArray());
        reply = reply.right(1);
    }
    state_.ReplyText = reply;
    if (!read) {  // no port: no receiver, no answer
        return std::nullopt;
    }
    const bool answered = !read->isEmpty();
    presence_.Read(answered);
    if (!answered) {
        return std::nullopt;
    }
    // Anything but a level letter, a lone CR LF among them, is an answer at level 0.
    return reply.size() == 1 && reply[0] >= 'A' && reply[0] <= 'P'
               ? static_cast<int16_t>(reply[0] - 'A' + 1)
               : int16_t(0);
}

}  // namespace nerimo
