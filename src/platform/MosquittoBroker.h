#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Broker.h"

struct mosquitto;

namespace nerimo::platform {

// An MQTT broker through libmosquitto, on a network thread of this object's own that does all
// the network's work: connecting, sending and resending what was handed over, and after a loss
// trying again 1 s later, the wait doubling up to 60 s (libmosquitto's own back-off grows by the
// square). Its events come back to this object's thread.
class MosquittoBroker : public QObject, public Broker {
    Q_OBJECT

  public:
    MosquittoBroker();
    ~MosquittoBroker() override;

    void Start(const BrokerOptions& options, const QByteArray& willTopic,
               const QByteArray& willPayload, Events events) override;
    bool Publish(const QByteArray& topic, const QByteArray& payload, bool retain) override;
    int Finish(int deadlineMs) override;

  private:
    // The network thread's loop, until Finish or a refusal.
    void Run(const QByteArray& host, int port);
    // From the network thread.
    void Tell(Event event, const QString& why);
    void Acknowledged();

    mosquitto* client_ = nullptr;
    std::thread network_;
    Events events_;
    int retrySeconds_ = 1;  // the network thread's
    std::atomic<long long> handedOver_ = 0;
    std::atomic<long long> acknowledged_ = 0;
    std::atomic<bool> refused_ = false;  // by the broker, or its certificate: no more attempts
    std::atomic<bool> finishing_ = false;
    std::mutex mutex_;  // for the waits on the network thread and at the end
    std::condition_variable changed_;
};

}  // namespace nerimo::platform
