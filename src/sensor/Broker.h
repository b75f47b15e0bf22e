#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "BrokerOptions.h"

namespace nerimo {

// An MQTT broker, reached on a network thread of its own: nothing it does holds up the caller.
// What it says comes back on the caller's thread.
class Broker {
  public:
    enum class Event {
        Connected,    // the broker took the connection: publish
        Lost,         // the connection went, or could not be made; it is tried again, 1 s doubling
                      // to 60 s
        Refused,      // the broker refused the credentials, or its certificate was not trusted;
                      // tried no more
        Rejected,     // the broker would not take a message it was handed: `why` is "TOPIC:
                      // reason"
        OldProtocol,  // the broker speaks MQTT 3.1.1 only, which hides what it rejects
    };
    using Events = std::function<void(Event event, const QString& why)>;
    // What came of handing a message over.
    enum class Handed {
        Taken,     // it goes, again after a reconnection if need be, in order
        NotNow,    // no connection to hand it to: try again once connected
        TooLarge,  // larger than the broker takes (MaximumMessage)
    };

    // A message from the broker: its topic and payload.
    using Messages = std::function<void(const QByteArray& topic, const QByteArray& payload)>;

    virtual ~Broker() = default;

    // Before Start: at every connection, subscribe to these topic filters (QoS 1), and hand what
    // comes to `messages`.
    virtual void Subscribe(const QList<QByteArray>& filters, Messages messages) = 0;
    // Starts connecting; the broker publishes the will, retained, should it lose the connection
    // (none with an empty topic).
    virtual void Start(const BrokerOptions& options, const QByteArray& willTopic,
                       const QByteArray& willPayload, Events events) = 0;
    // Hands a message over, QoS 1.
    virtual Handed Publish(const QByteArray& topic, const QByteArray& payload, bool retain) = 0;
    // The largest message the broker takes on this topic, in bytes of payload, as it said when
    // it took the connection; 0 when it said nothing of it.
    virtual qsizetype MaximumMessage(const QByteArray& topic) const = 0;
    // Messages the broker took and refused so far (MQTT 5 says so), also those whose Rejected
    // event has not come back yet.
    virtual int Rejected() const = 0;
    // Waits up to the deadline for what was handed over to be acknowledged, then disconnects,
    // cleanly: no will; all within the deadline. How many messages were handed over and never
    // acknowledged.
    virtual int Finish(int deadlineMs) = 0;
};

}  // namespace nerimo
