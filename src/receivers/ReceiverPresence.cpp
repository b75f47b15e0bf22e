#include "ReceiverPresence.h"

#include "Report.h"

namespace nerimo {

namespace {

constexpr double kRetrySeconds = 2.0;
constexpr int kSilentReads = 8;  // about 1.5 s of steps

}  // namespace

ReceiverPresence::ReceiverPresence(Scheduler& retry, std::function<QString()> name)
    : retry_(retry), name_(std::move(name)) {}

void ReceiverPresence::Later(Attempt attempt) {
    retry_.After(kRetrySeconds, std::move(attempt));
}

void ReceiverPresence::Cancel() {
    retry_.Cancel();
}

void ReceiverPresence::Gone(const QString& reason, Attempt attempt) {
    Report(QStringLiteral("The receiver at %1 is gone%2; trying again every 2 s.")
               .arg(name_(), reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
    Later(std::move(attempt));
}

void ReceiverPresence::Back() {
    unanswered_ = 0;
    Note(QStringLiteral("The receiver at %1 is back.").arg(name_()));
}

void ReceiverPresence::Read(bool answered) {
    if (answered) {
        if (Silent()) {
            Note(QStringLiteral("The receiver at %1 answers again.").arg(name_()));
        }
        unanswered_ = 0;
        return;
    }
    if (++unanswered_ == kSilentReads) {
        Report(QStringLiteral("The receiver at %1 has answered none of its last %2 steps: check "
                              "that it is switched on and that this is its port.")
                   .arg(name_())
                   .arg(kSilentReads));
    }
}

bool ReceiverPresence::Silent() const {
    return unanswered_ >= kSilentReads;
}

}  // namespace nerimo
