#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "Broker.h"

struct mosquitto;

namespace nerimo::platform {

// An MQTT broker through libmosquitto, whose own thread does all the network's work: connecting,
// reconnecting 1 s doubling to 60 s, sending and resending what was handed over. Its callbacks
// come back to this object's thread.
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
    // From the library's thread.
    void Tell(Event event, const QString& why);
    void Acknowledged();

    mosquitto* client_ = nullptr;
    Events events_;
    std::atomic<long long> handedOver_ = 0;
    std::atomic<long long> acknowledged_ = 0;
    std::atomic<bool> refused_ = false;  // by the broker, or its certificate: no more attempts
    std::mutex mutex_;                   // for the wait at the end
    std::condition_variable settled_;
};

}  // namespace nerimo::platform
