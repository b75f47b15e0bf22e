#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "BrokerOptions.h"

namespace nerimo {

// An MQTT broker, reached on a network thread of its own: nothing it does holds up the caller.
// What it says comes back on the caller's thread.
class Broker {
  public:
    enum class Event {
        Connected,  // the broker took the connection: publish
        Lost,       // the connection went, or could not be made; it is tried again, 1 s doubling
                    // to 60 s
        Refused,    // the broker refused the credentials, or its certificate was not trusted;
                    // tried no more
    };
    using Events = std::function<void(Event event, const QString& why)>;

    virtual ~Broker() = default;

    // Starts connecting; the broker publishes the will, retained, should it lose the connection.
    virtual void Start(const BrokerOptions& options, const QByteArray& willTopic,
                       const QByteArray& willPayload, Events events) = 0;
    // Hands a message over, QoS 1: the library sends it, again after a reconnection if need be,
    // in order. False when there is no connection to hand it to.
    virtual bool Publish(const QByteArray& topic, const QByteArray& payload, bool retain) = 0;
    // Waits up to the deadline for what was handed over to be acknowledged, then disconnects,
    // cleanly: no will. How many messages were handed over and never acknowledged.
    virtual int Finish(int deadlineMs) = 0;
};

}  // namespace nerimo
