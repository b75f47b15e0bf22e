#include "ReceiverPresence.h"

#include "Report.h"

namespace nerimo {

namespace {

constexpr double kRetrySeconds = 2.0;
constexpr int kSilentReads = 8;  // about 1.5 s of steps

const QString kRetried = QStringLiteral("Nerimo tries it again every 2 s and goes on by itself.");
const QString kChoose = QStringLiteral("Plug it back in, or choose another receiver.");

}  // namespace

ReceiverPresence::ReceiverPresence(Scheduler& retry, std::function<QString()> name,
                                   MessageBox& messages)
    : retry_(retry), name_(std::move(name)), messages_(messages) {}

void ReceiverPresence::Unopened(const QString& text, bool retried, bool waits) {
    // The panel first: a message that waits holds this call until the user closes it.
    if (trouble_) {
        trouble_(retried ? text + QStringLiteral("\r\n") + kRetried : text);
    }
    waits ? messages_.Show(text) : messages_.Notify(text);
}

void ReceiverPresence::Later(Attempt attempt) {
    retry_.After(kRetrySeconds, std::move(attempt));
}

void ReceiverPresence::Cancel() {
    retry_.Cancel();
}

void ReceiverPresence::Gone(const QString& reason, Attempt attempt) {
    Say(QStringLiteral("The receiver at %1 is gone%2; trying again every 2 s.")
            .arg(name_(), reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)),
        kChoose);
    Later(std::move(attempt));
}

void ReceiverPresence::Back() {
    unanswered_ = 0;
    Solved(QStringLiteral("The receiver at %1 is back.").arg(name_()));
}

void ReceiverPresence::Read(bool answered) {
    if (answered) {
        if (Silent()) {
            Solved(QStringLiteral("The receiver at %1 answers again.").arg(name_()));
        }
        unanswered_ = 0;
        return;
    }
    if (++unanswered_ == kSilentReads) {
        Say(QStringLiteral("The receiver at %1 has answered none of its last %2 steps: check "
                           "that it is switched on and that this is its port.")
                .arg(name_())
                .arg(kSilentReads),
            QStringLiteral("Nerimo goes on sweeping and shows its levels as soon as it answers; "
                           "or choose another receiver."));
    }
}

bool ReceiverPresence::Silent() const {
    return unanswered_ >= kSilentReads;
}

void ReceiverPresence::Say(const QString& line, const QString& todo) {
    Report(line);
    if (trouble_) {
        trouble_(line + QStringLiteral("\r\n") + todo);
    }
}

void ReceiverPresence::Solved(const QString& line) {
    Note(line);
    if (trouble_) {
        trouble_(QString());
    }
}

}  // namespace nerimo
