#pragma once

// The files the outputs write, in memory.

#include "AppendFile.h"
#include "Broker.h"

namespace nerimo::testing {

// A log file in memory that takes every piece, until `refusal` is set.
struct FakeAppendFile : AppendFile {
    QString path;
    QByteArray written;
    QString refusal;
    bool Open(const QString& name, QString*) override {
        path = name;
        return true;
    }
    bool Append(const QByteArray& piece, QString* error) override {
        if (!refusal.isEmpty()) {
            *error = refusal;
            return false;
        }
        written += piece;
        return true;
    }
    void Close() override { path.clear(); }
};

// A broker in memory: it takes every message while `connected`, and says what a test makes it.
struct FakeBroker : Broker {
    bool connected = false;
    QByteArray will;
    Events events;
    QList<QByteArray> published;  // "topic payload", retained ones with " (retained)"
    bool finished = false;
    void Start(const BrokerOptions&, const QByteArray& willTopic, const QByteArray& willPayload,
               Events said) override {
        will = willTopic + ' ' + willPayload;
        events = std::move(said);
    }
    bool Publish(const QByteArray& topic, const QByteArray& payload, bool retain) override {
        if (connected) {
            published << topic + ' ' + payload + (retain ? " (retained)" : "");
        }
        return connected;
    }
    int Finish(int) override {
        finished = true;
        return 0;
    }
    void Say(Event event) {
        connected = event == Event::Connected;
        events(event, QStringLiteral("a reason"));
    }
};

}  // namespace nerimo::testing
