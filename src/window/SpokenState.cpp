#include "SpokenState.h"

#include "Frequency.h"

namespace nerimo {

namespace {

constexpr int kSayEveryMs = 1000;

QString Mhz(long long hertz) {
    return QString::fromLatin1(FreqText(hertz)) + QStringLiteral(" MHz");
}

}  // namespace

SpokenState::SpokenState(QLabel& status, QWidget& plot, QObject* parent)
    : QObject(parent), status_(status), plot_(plot) {
    later_.setSingleShot(true);
    connect(&later_, &QTimer::timeout, this, [this] { Say(pending_); });
    status_.setAccessibleName(QStringLiteral("Status: stopped"));
}

void SpokenState::StatusShown(Status status) {
    QString state;
    switch (status) {
        case Status::Scan:
            state = QStringLiteral("scan");
            break;
        case Status::Pause:
            state = last_ ? QStringLiteral("pause at %1, level %2")
                                .arg(Mhz(last_->hertz))
                                .arg(last_->level)
                          : QStringLiteral("pause");
            break;
        case Status::NoReceiver:
            state = QStringLiteral("no receiver");
            break;
        case Status::None:
            state = QStringLiteral("stopped");
            break;
    }
    if (!later_.isActive() && status_.accessibleName() == QStringLiteral("Status: ") + state) {
        return;  // nothing new to say
    }
    if (lastSaid_.isValid() && lastSaid_.elapsed() < kSayEveryMs) {
        pending_ = state;
        if (!later_.isActive()) {
            later_.start(int(kSayEveryMs - lastSaid_.elapsed()));
        }
        return;
    }
    Say(state);
}

void SpokenState::Say(const QString& state) {
    lastSaid_.start();
    // A change of the name is what the accessibility bus announces.
    status_.setAccessibleName(QStringLiteral("Status: ") + state);
}

void SpokenState::SpanShown(long long firstHertz, long long lastHertz) {
    firstHertz_ = firstHertz;
    lastHertz_ = lastHertz;
    Describe();
}

void SpokenState::CursorShown(const QString& readout) {
    if (readout != cursor_) {
        cursor_ = readout;
        Describe();
    }
}

void SpokenState::SweepBegan(const SweepStart&) {
    strongest_.reset();
}

void SpokenState::Measured(long long hertz, int level, Reply reply) {
    if (reply != Reply::Answered) {
        return;
    }
    last_ = Step{hertz, level};
    if (!strongest_ || level > strongest_->level) {
        strongest_ = last_;
    }
}

void SpokenState::SweepEnded(const SweepSummary& summary) {
    if (summary.Measured() && strongest_) {
        lastSweep_ = strongest_;
        Describe();
    }
}

void SpokenState::Describe() {
    QString text =
        QStringLiteral("The levels from %1 to %2.").arg(Mhz(firstHertz_), Mhz(lastHertz_));
    if (lastSweep_) {
        text += QStringLiteral(" Strongest in the last sweep: level %1 at %2.")
                    .arg(lastSweep_->level)
                    .arg(Mhz(lastSweep_->hertz));
    }
    if (!cursor_.isEmpty()) {
        text += QStringLiteral(" Cursor at %1.").arg(cursor_);
    }
    text += QStringLiteral(
        " Left, Right, Page Up, Page Down, Home and End move the tuning cursor, Enter tunes "
        "there while stopped; the Menu key or Shift+F10 opens the plot's menu; M, N and A show "
        "the holds.");
    plot_.setAccessibleDescription(text);
}

}  // namespace nerimo
