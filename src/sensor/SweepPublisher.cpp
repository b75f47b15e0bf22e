#include "SweepPublisher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>

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

QString SweepPublisher::BrokerName() const {
    return QStringLiteral("%1:%2").arg(parts_.options.host).arg(parts_.options.port);
}

void SweepPublisher::Heard(Broker::Event event, const QString& why) {
    if (event == Broker::Event::Connected || event == Broker::Event::Lost ||
        event == Broker::Event::Refused) {
        connected_ = event == Broker::Event::Connected;
    }
    const QString broker = BrokerName();
    switch (event) {
        case Broker::Event::Refused:
            if (!refused_) {
                refused_ = true;
                parts_.refused(
                    QStringLiteral("The broker at %1 refused the sensor: %2.").arg(broker, why));
            }
            break;
        case Broker::Event::Rejected:
            if (!saidRejected_.contains(why)) {
                saidRejected_ << why;
                parts_.rejected(
                    QStringLiteral("The broker at %1 refuses to take %2.").arg(broker, why));
            }
            break;
        case Broker::Event::OldProtocol:
            parts_.warned(QStringLiteral("The broker at %1 speaks MQTT 3.1.1 only: a message it "
                                         "refuses cannot be told from one it takes.")
                              .arg(broker));
            break;
        case Broker::Event::Lost:
            if (!away_) {
                away_ = true;
                parts_.warned(
                    QStringLiteral("The broker at %1 is away (%2); the sweeps wait for it.")
                        .arg(broker, why));
            }
            break;
        case Broker::Event::Connected:
            if (away_) {
                away_ = false;
                parts_.note(QStringLiteral("The broker at %1 is back.").arg(broker));
            }
            // The broker may have come back with the will retained (its persistence keeps it),
            // so the state goes out again at each connection, from then.
            if (!status_) {
                status_ = StatusPayload();
            }
            break;
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

QByteArray SweepPublisher::StatusPayload() const {
    return Compact({{"state", QLatin1String(state_)}, {"since", Utc(parts_.clock.Now())}});
}

void SweepPublisher::SetState(const char* state) {
    if (qstrcmp(state, state_) == 0) {
        return;
    }
    state_ = state;
    status_ = StatusPayload();
    Flush();
}

void SweepPublisher::SweepBegan(const SweepStart& start) {
    sweep_ = {start.time, start.plan, start.mode, QByteArray()};
    sweep_.levels.reserve(size_t(start.plan.Count()));
    channels_.clear();
    if (start.plan.channels) {  // a channel locked out is not scanned: the pass is those that are
        lastChannel_ = start.plan.LastHertz();
        for (const PlanStep& step : start.plan.steps) {
            channels_.insert(step.hertz, step);
        }
        sweep_.plan.steps.clear();
    }
}

void SweepPublisher::Measured(long long hertz, int level, Reply reply) {
    sweep_.levels.append(char(level));
    if (sweep_.plan.channels) {
        sweep_.plan.steps.push_back(channels_.value(hertz, PlanStep{hertz, {}, {}, false}));
    }
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
    const bool whole = sweep_.plan.channels ? sweep_.plan.steps.back().hertz == lastChannel_
                                            : int(sweep_.levels.size()) == sweep_.plan.Count();
    sweep_.plan.steps.resize(sweep_.levels.size());
    if (whole) {
        scan_ = sweep_;
    }
    Queue({sweep_, {}});
}

void SweepPublisher::ActivityChanged(const Activity& activity, ActivityEvent event) {
    if (event != ActivityEvent::Ended) {
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
    return Compact(SweepObject(sweep));
}

QJsonObject SweepPublisher::SweepObject(const Sweep& sweep) const {
    if (sweep.plan.channels) {
        QJsonArray channels;
        for (int step = 0; step < sweep.plan.Count(); ++step) {
            const PlanStep& channel = sweep.plan.steps[size_t(step)];
            channels.append(QJsonObject({{"hz", channel.hertz},
                                         {"name", channel.name},
                                         {"mode", ModeName(channel.mode.value_or(sweep.mode))},
                                         {"level", int(sweep.levels[step])}}));
        }
        return QJsonObject({{"id", parts_.options.sensorId},
                            {"timestamp", Utc(sweep.time)},
                            {"channels", channels},
                            {"device", parts_.device()}});
    }
    QJsonArray power;
    for (const char level : sweep.levels) {
        power.append(int(level));
    }
    return QJsonObject({{"id", parts_.options.sensorId},
                        {"timestamp", Utc(sweep.time)},
                        {"hz_lo", sweep.plan.FirstHertz()},
                        {"hz_hi", sweep.plan.LastHertz()},
                        {"step", sweep.plan.stepHertz},
                        {"samples", 1},
                        {"unit", "level"},
                        {"power", power},
                        {"device", parts_.device()},
                        {"mode", ModeName(sweep.mode)}});
}

std::optional<QList<QByteArray>> SweepPublisher::SweepPayloads(const Sweep& sweep,
                                                               qsizetype largest) const {
    const QByteArray whole = SweepPayload(sweep);
    if (largest == 0 || whole.size() <= largest) {
        return QList<QByteArray>{whole};
    }
    const auto steps = qsizetype(sweep.levels.size());
    // From as many parts as the levels' bytes need, each part's other fields counted too.
    const qsizetype others = SweepPayload({sweep.time, sweep.plan, sweep.mode, {}}).size() + 24;
    qsizetype count = largest > others ? (whole.size() - others) / (largest - others) + 1 : steps;
    for (count = std::clamp<qsizetype>(count, 2, steps); count <= steps; ++count) {
        const qsizetype each = (steps + count - 1) / count;
        QList<QByteArray> payloads;
        for (qsizetype first = 0; first < steps; first += each) {
            const qsizetype taken = std::min(each, steps - first);
            SweepPlan plan = sweep.plan;
            plan.steps.assign(sweep.plan.steps.begin() + first,
                              sweep.plan.steps.begin() + first + taken);
            const Sweep part{sweep.time, plan, sweep.mode, sweep.levels.mid(first, taken)};
            QJsonObject object = SweepObject(part);
            object.insert("part", int(payloads.size() + 1));
            object.insert("parts", int((steps + each - 1) / each));
            payloads << Compact(object);
            if (payloads.last().size() > largest) {
                break;
            }
        }
        if (payloads.last().size() <= largest) {
            return payloads;
        }
    }
    return std::nullopt;
}

bool SweepPublisher::HandOver(const Sweep& sweep, const char* leaf, bool retain, qsizetype* sent) {
    const QByteArray topic = Topic(leaf);
    // Room for a part's number after the retained sweep's topic.
    const std::optional<QList<QByteArray>> payloads =
        SweepPayloads(sweep, parts_.broker.MaximumMessage(topic + "/000"));
    if (payloads && payloads->size() > 1 && payloads->size() != saidParts_) {
        saidParts_ = payloads->size();
        parts_.note(QStringLiteral("The broker at %1 takes messages of up to %2 bytes; a sweep "
                                   "of %3 steps goes in %4 parts.")
                        .arg(BrokerName())
                        .arg(parts_.broker.MaximumMessage(topic))
                        .arg(sweep.levels.size())
                        .arg(payloads->size()));
    }
    Broker::Handed handed = payloads ? Broker::Handed::Taken : Broker::Handed::TooLarge;
    for (; payloads && *sent < payloads->size() && handed == Broker::Handed::Taken; ++*sent) {
        // The retained sweep in parts: each part a topic of its own, so none takes another's.
        const QByteArray partTopic =
            payloads->size() > 1 && retain ? topic + '/' + QByteArray::number(*sent + 1) : topic;
        handed = parts_.broker.Publish(partTopic, payloads->at(*sent), retain);
        if (handed == Broker::Handed::NotNow) {
            return false;
        }
    }
    if (handed == Broker::Handed::TooLarge) {
        ++dropped_;
        if (!saidTooLarge_) {
            saidTooLarge_ = true;
            parts_.rejected(QStringLiteral("A sweep of %1 steps is too large for the broker at %2, "
                                           "even in parts; raise max_packet_size in its "
                                           "configuration.")
                                .arg(sweep.levels.size())
                                .arg(BrokerName()));
        }
    }
    return true;
}

void SweepPublisher::Flush() {
    if (!connected_) {
        return;
    }
    if (status_) {
        if (parts_.broker.Publish(Topic("status"), *status_, true) == Broker::Handed::NotNow) {
            return;
        }
        status_.reset();
    }
    while (!waiting_.empty()) {
        Waiting& next = waiting_.front();
        if (next.sweep) {
            if (!HandOver(*next.sweep, next.sweep->plan.channels ? "channels" : "sweep", false,
                          &next.partsSent)) {
                return;
            }
        } else if (parts_.broker.Publish(Topic("activity"), next.activity, false) ==
                   Broker::Handed::NotNow) {
            return;
        }
        waitingSweeps_ -= next.sweep.has_value();
        waiting_.pop_front();
    }
    if (scan_) {
        qsizetype sent = 0;
        if (HandOver(*scan_, scan_->plan.channels ? "channels/last" : "scan", true, &sent)) {
            scan_.reset();
        }
    }
}

}  // namespace nerimo
