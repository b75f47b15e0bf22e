#include "SweepPublisher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "Frequency.h"

namespace nerimo {

namespace {

QString Utc(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODate);
}

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}  // namespace

SweepPublisher::SweepPublisher(Parts parts) : parts_(std::move(parts)) {}

QByteArray SweepPublisher::Topic(const char* leaf) const {
    return (parts_.options.prefix + '/' + parts_.options.sensorId + '/' + QLatin1String(leaf))
        .toUtf8();
}

void SweepPublisher::Start() {
    SetState("online");
    parts_.broker.Start(parts_.options, Topic("status"),
                        Compact({{"state", "offline"}, {"since", QJsonValue::Null}}),
                        [this](Broker::Event event, const QString& why) { Heard(event, why); });
}

void SweepPublisher::Heard(Broker::Event event, const QString& why) {
    connected_ = event == Broker::Event::Connected;
    const QString broker =
        QStringLiteral("%1:%2").arg(parts_.options.host).arg(parts_.options.port);
    if (event == Broker::Event::Refused && !refused_) {
        refused_ = true;
        parts_.refused(QStringLiteral("The broker at %1 refused the sensor: %2.").arg(broker, why));
    } else if (event == Broker::Event::Lost && !away_) {
        away_ = true;
        parts_.note(QStringLiteral("The broker at %1 is away (%2); the sweeps wait for it.")
                        .arg(broker, why));
    } else if (connected_ && away_) {
        away_ = false;
        parts_.note(QStringLiteral("The broker at %1 is back.").arg(broker));
    }
    Flush();
}

int SweepPublisher::Finish(int deadlineMs) {
    SetState("offline");
    const int left = int(waiting_.size()) + (scan_ ? 1 : 0) + (status_ ? 1 : 0);
    return left + parts_.broker.Finish(deadlineMs);
}

size_t SweepPublisher::QueuedBytes() const {
    size_t bytes = sizeof(Waiting) * waiting_.size();
    for (const Waiting& waiting : waiting_) {
        bytes += size_t(waiting.activity.capacity()) +
                 (waiting.sweep ? size_t(waiting.sweep->levels.capacity()) : 0);
    }
    return bytes;
}

void SweepPublisher::SetState(const char* state) {
    if (qstrcmp(state, state_) == 0) {
        return;
    }
    state_ = state;
    status_ = Compact({{"state", QLatin1String(state)}, {"since", Utc(parts_.clock.Now())}});
    Flush();
}

void SweepPublisher::SweepBegan(const SweepPlan& plan) {
    sweep_ = {parts_.clock.Now(), plan, QByteArray()};
    sweep_.levels.reserve(plan.steps + 1);
}

void SweepPublisher::Measured(long long, int level, Reply reply) {
    sweep_.levels.append(char(level));
    if (reply == Reply::Answered) {
        SetState("online");
    } else if (reply == Reply::NoReceiver) {
        SetState("no receiver");
    }
}

void SweepPublisher::SweepEnded(const SweepSummary& summary) {
    if (!summary.Measured()) {
        return;
    }
    // A sweep cut short is its steps so far, as in the log; only a whole one is the scan.
    const bool whole = sweep_.levels.size() == sweep_.plan.steps + 1;
    sweep_.plan.steps = int(sweep_.levels.size()) - 1;
    if (whole) {
        scan_ = sweep_;
    }
    Queue({sweep_, {}});
}

void SweepPublisher::ActivityChanged(const Activity& activity, ActivityEvent event) {
    if (event != ActivityEvent::Ended || !parts_.activities()) {
        return;
    }
    Queue({std::nullopt,
           Compact({{"id", parts_.options.sensorId},
                    {"Frequency_Hz", activity.hertz},
                    {"Frequency_MHz", QString::fromLatin1(FreqText(activity.hertz))},
                    {"Name", activity.name},
                    {"Max_Level", activity.strongest},
                    {"Start_Timestamp", Utc(activity.firstHeard)},
                    {"End_Timestamp", Utc(activity.lastHeard)},
                    {"Duration_Seconds", activity.firstHeard.secsTo(activity.lastHeard)},
                    {"Sweeps", activity.sweeps}})});
}

void SweepPublisher::Queue(Waiting waiting) {
    const bool sweep = waiting.sweep.has_value();
    waiting_.push_back(std::move(waiting));
    waitingSweeps_ += sweep;
    // The oldest of its kind goes when there are too many.
    const size_t ofKind = sweep ? waitingSweeps_ : waiting_.size() - waitingSweeps_;
    if (ofKind > kQueued) {
        const auto oldest =
            std::find_if(waiting_.begin(), waiting_.end(),
                         [sweep](const Waiting& w) { return w.sweep.has_value() == sweep; });
        waiting_.erase(oldest);
        waitingSweeps_ -= sweep;
        ++dropped_;
    }
    Flush();
}

QByteArray SweepPublisher::SweepPayload(const Sweep& sweep) const {
    QJsonArray power;
    for (const char level : sweep.levels) {
        power.append(int(level));
    }
    return Compact({{"id", parts_.options.sensorId},
                    {"timestamp", Utc(sweep.time)},
                    {"hz_lo", sweep.plan.firstHertz},
                    {"hz_hi", sweep.plan.LastHertz()},
                    {"step", sweep.plan.stepHertz},
                    {"samples", 1},
                    {"unit", "level"},
                    {"power", power},
                    {"device", parts_.device},
                    {"mode", parts_.mode()}});
}

void SweepPublisher::Flush() {
    if (!connected_) {
        return;
    }
    if (status_) {
        if (!parts_.broker.Publish(Topic("status"), *status_, true)) {
            return;
        }
        status_.reset();
    }
    while (!waiting_.empty()) {
        const Waiting& next = waiting_.front();
        if (!parts_.broker.Publish(next.sweep ? Topic("sweep") : Topic("activity"),
                                   next.sweep ? SweepPayload(*next.sweep) : next.activity, false)) {
            return;
        }
        waitingSweeps_ -= next.sweep.has_value();
        waiting_.pop_front();
    }
    if (scan_ && parts_.broker.Publish(Topic("scan"), SweepPayload(*scan_), true)) {
        scan_.reset();
    }
}

}  // namespace nerimo
