#pragma once

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "Activity.h"
#include "Broker.h"
#include "Clock.h"
#include "SweepListener.h"

namespace nerimo {

// A sensor on the network: every sweep that measured, the activities as they end and the
// sensor's state, published to an MQTT broker as JSON under PREFIX/ID/: "sweep" for each sweep,
// "scan" (retained) for the last whole one, "activity" for each activity the activity log writes
// (it listens to the log), and "status" (retained; "offline" as the broker's will). While the
// broker is away they wait, in order, up to 1,000 sweeps and 1,000 activities; past that the oldest
// go, counted. A sweep larger than the broker takes goes in parts ("scan/1", "scan/2"... for the
// retained one). A list's pass goes on "channels" (its channels' frequency, name, mode and level),
// the last whole one retained on "channels/last".
class SweepPublisher : public SweepListener, public ActivityListener {
  public:
    static constexpr size_t kQueued = 1000;
    struct Parts {
        Broker& broker;
        const Clock& clock;
        BrokerOptions options;
        std::function<QString()> device;                   // the receiver's name now, in each sweep
        std::function<void(const QString& why)> refused;   // the broker will not take us
        std::function<void(const QString& why)> rejected;  // nor messages on a topic, said once
                                                           // a topic and a reason
        std::function<void(const QString& line)> warned;   // the broker gone, or one whose
                                                           // refusals cannot be seen
        std::function<void(const QString& line)> note;     // the broker back, a sweep in parts
    };

    explicit SweepPublisher(Parts parts);

    // Connects, and says "online".
    void Start();
    // Says "offline", hands over what waits, and disconnects within the deadline; how many
    // messages never reached the broker.
    int Finish(int deadlineMs);
    // Messages dropped while the broker was away, or too large for it even in parts.
    int Dropped() const { return dropped_; }
    // Messages the broker took and refused (MQTT 5 says so).
    int Rejected() const { return parts_.broker.Rejected(); }
    // The bytes the waiting messages take.
    size_t QueuedBytes() const;

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;
    void ActivityChanged(const Activity& activity, ActivityEvent event) override;

    // A sweep's message, as published.
    struct Sweep {
        QDateTime time;  // of its first step
        SweepPlan plan;
        Mode mode = Mode::Fm;
        QByteArray levels;  // one byte a step
    };
    QByteArray SweepPayload(const Sweep& sweep) const;
    QJsonObject SweepObject(const Sweep& sweep) const;
    // The sweep's message, or, when it is larger than `largest` bytes (0: no limit), its parts:
    // each the same fields over its own steps, with "part" (from 1) and "parts"; nothing when not
    // even a step a part fits.
    std::optional<QList<QByteArray>> SweepPayloads(const Sweep& sweep, qsizetype largest) const;

  private:
    struct Waiting {
        std::optional<Sweep> sweep;  // a sweep, or
        QByteArray activity;         // an activity's payload
        qsizetype partsSent = 0;     // of a sweep that goes in parts
    };
    void Heard(Broker::Event event, const QString& why);
    void SetState(const char* state);
    // The state as its retained message has it, since now.
    QByteArray StatusPayload() const;
    QByteArray Topic(const char* leaf) const;
    void Queue(Waiting waiting);
    // Hands over what waits, in order, while the broker takes it.
    void Flush();
    // Hands a sweep over on `leaf`, whole or in parts, from part `*sent` on; false while the
    // broker cannot take it now. A sweep too large even in parts is dropped, counted, said once.
    bool HandOver(const Sweep& sweep, const char* leaf, bool retain, qsizetype* sent);
    QString BrokerName() const;

    Parts parts_;
    bool connected_ = false;
    bool refused_ = false;
    bool away_ = false;  // said to be away
    std::deque<Waiting> waiting_;
    size_t waitingSweeps_ = 0;
    std::optional<Sweep> scan_;         // the last whole sweep, not yet handed over retained
    std::optional<QByteArray> status_;  // the state, not yet handed over
    const char* state_ = "";
    Sweep sweep_;                          // under way
    QHash<long long, PlanStep> channels_;  // a list's pass under way, by frequency
    long long lastChannel_ = 0;            // its last
    int dropped_ = 0;
    QStringList saidRejected_;  // the refusals said, "topic: reason" each
    qsizetype saidParts_ = 0;   // the parts a sweep was last said to go in
    bool saidTooLarge_ = false;
};

}  // namespace nerimo
