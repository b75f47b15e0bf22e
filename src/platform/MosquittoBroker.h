#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Broker.h"

struct mosquitto;
struct mqtt5__property;

namespace nerimo::platform {

// An MQTT broker through libmosquitto, spoken to in MQTT 5 (3.1.1 for a broker that speaks no
// other), on a network thread of this object's own that does all the network's work:
// connecting, sending and resending what was handed over, and after a loss trying again 1 s
// later, the wait doubling up to 60 s (libmosquitto's own back-off grows by the square). Its
// events come back to this object's thread.
class MosquittoBroker : public QObject, public Broker {
    Q_OBJECT

  public:
    MosquittoBroker();
    ~MosquittoBroker() override;

    void Subscribe(const QList<QByteArray>& filters, Messages messages) override;
    void Start(const BrokerOptions& options, const QByteArray& willTopic,
               const QByteArray& willPayload, Events events) override;
    Handed Publish(const QByteArray& topic, const QByteArray& payload, bool retain) override;
    qsizetype MaximumMessage(const QByteArray& topic) const override;
    int Rejected() const override { return rejected_; }
    int Finish(int deadlineMs) override;

  private:
    // The network thread's loop, until Finish or a refusal.
    void Run(const QByteArray& host, int port);
    // From the network thread.
    void Tell(Event event, const QString& why);
    void Connected(int reason, const mqtt5__property* properties);
    void Acknowledged(int mid, int reason);
    // MQTT 3.1.1's refusal as MQTT 5's reason code.
    static int V5Reason(int connack);

    mosquitto* client_ = nullptr;
    std::thread network_;
    Events events_;
    QList<QByteArray> filters_;
    Messages messages_;
    int retrySeconds_ = 1;  // the network thread's
    std::atomic<long long> handedOver_ = 0;
    std::atomic<long long> acknowledged_ = 0;
    std::atomic<int> rejected_ = 0;
    std::atomic<uint32_t> largestPacket_ = 0;  // as the broker said; 0 for no limit said
    std::atomic<bool> oldProtocol_ = false;    // the broker speaks MQTT 3.1.1 only
    std::atomic<bool> refused_ = false;  // by the broker, or its certificate: no more attempts
    std::atomic<bool> finishing_ = false;
    QDeadlineTimer finishBy_;  // set before finishing_
    std::mutex mutex_;         // for the topics, and the waits on the network thread and at the end
    std::condition_variable changed_;
    QHash<int, QByteArray> topics_;  // of the messages handed over and not yet acknowledged
};

}  // namespace nerimo::platform
