#pragma once

// The broker a sensor publishes to, in memory.

#include "Broker.h"

namespace nerimo::testing {

// A broker in memory: it takes every message while `connected`, up to `largest` bytes of
// payload when that is set, and says what a test makes it.
struct FakeBroker : Broker {
    bool connected = false;
    qsizetype largest = 0;
    QByteArray will;
    Events events;
    QList<QByteArray> published;  // "topic payload", retained ones with " (retained)"
    bool finished = false;
    QList<QByteArray> filters;
    Messages messages;  // hands a message to the subscriber
    void Subscribe(const QList<QByteArray>& subscribed, Messages heard) override {
        filters = subscribed;
        messages = std::move(heard);
    }
    void Start(const BrokerOptions&, const QByteArray& willTopic, const QByteArray& willPayload,
               Events said) override {
        will = willTopic + ' ' + willPayload;
        events = std::move(said);
    }
    Handed Publish(const QByteArray& topic, const QByteArray& payload, bool retain) override {
        if (!connected) {
            return Handed::NotNow;
        }
        if (largest > 0 && payload.size() > largest) {
            return Handed::TooLarge;
        }
        published << topic + ' ' + payload + (retain ? " (retained)" : "");
        return Handed::Taken;
    }
    qsizetype MaximumMessage(const QByteArray&) const override { return largest; }
    int rejected = 0;
    int Rejected() const override { return rejected; }
    int Finish(int) override {
        finished = true;
        return 0;
    }
    void Say(Event event, const QString& why = QStringLiteral("a reason")) {
        connected = event == Event::Connected || (connected && event == Event::Rejected);
        rejected += event == Event::Rejected;
        events(event, why);
    }
};

}  // namespace nerimo::testing
