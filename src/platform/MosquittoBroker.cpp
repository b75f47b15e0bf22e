#include "MosquittoBroker.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace nerimo::platform {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kFirstRetrySeconds = 1;
constexpr int kLongestRetrySeconds = 60;
constexpr int kLoopMs = 1000;  // the longest the network thread waits on its socket at a time
constexpr int kDisconnectingMs = 200;  // of a deadline, kept for the disconnection to go out
// A PUBLISH's bytes besides its topic and payload: the fixed header (its type and up to four
// bytes of length), the topic's length, the message id and MQTT 5's empty properties.
constexpr qsizetype kPublishOverhead = 1 + 4 + 2 + 2 + 1;

MosquittoBroker& Of(void* self) {
    return *static_cast<MosquittoBroker*>(self);
}

// Words of the library's own, as a part of a sentence: no capital, no full stop.
QString Phrase(const char* text) {
    QString phrase = QString::fromUtf8(text).trimmed();
    while (phrase.endsWith(QLatin1Char('.'))) {
        phrase.chop(1);
    }
    if (!phrase.isEmpty()) {
        phrase[0] = phrase[0].toLower();
    }
    return phrase;
}

// An MQTT 5 reason code of a refusal, in words.
QString Reason(int code) {
    switch (code) {
        case MQTT_RC_NOT_AUTHORIZED:
            return QStringLiteral("not authorised");
        case MQTT_RC_BAD_USERNAME_OR_PASSWORD:
            return QStringLiteral("wrong user name or password");
        case MQTT_RC_PACKET_TOO_LARGE:
            return QStringLiteral("the message is larger than the broker takes");
        default:
            return Phrase(mosquitto_reason_string(code));
    }
}

// What a failed call of libmosquitto's comes to, in words; `error` is errno just after it.
QString Why(int code, int error) {
    switch (code) {
        case MOSQ_ERR_KEEPALIVE:
            return QStringLiteral("the broker did not answer for %1 s").arg(kKeepAliveSeconds);
        case MOSQ_ERR_CONN_LOST:
        case MOSQ_ERR_NO_CONN:
            return QStringLiteral("the connection was closed");
        case MOSQ_ERR_EAI:
            return QStringLiteral("its host name could not be looked up");
        case MOSQ_ERR_PROTOCOL:
        case MOSQ_ERR_MALFORMED_PACKET:
            return QStringLiteral("it does not speak MQTT as Nerimo does");
        case MOSQ_ERR_ERRNO:
            // A call that failed without saying why: the connection went.
            return error == 0 ? QStringLiteral("the connection was closed")
                              : Phrase(std::strerror(error));
        default:
            return Phrase(mosquitto_strerror(code));
    }
}

}  // namespace

MosquittoBroker::MosquittoBroker() {
    static const int initialised = mosquitto_lib_init();
    (void)initialised;
}

MosquittoBroker::~MosquittoBroker() {
    Finish(0);
}

void MosquittoBroker::Tell(Event event, const QString& why) {
    QMetaObject::invokeMethod(
        this, [this, event, why] { events_(event, why); }, Qt::QueuedConnection);
}

void MosquittoBroker::Acknowledged(int mid, int reason) {
    QByteArray topic;
    {
        const std::lock_guard lock(mutex_);
        topic = topics_.take(mid);
        ++acknowledged_;
        changed_.notify_all();
    }
    if (reason >= MQTT_RC_UNSPECIFIED) {
        ++rejected_;
        Tell(Event::Rejected, QString::fromUtf8(topic) + QStringLiteral(": ") + Reason(reason));
    }
}

void MosquittoBroker::Connected(int reason, const mosquitto_property* properties) {
    if (reason == MQTT_RC_SUCCESS) {
        uint32_t largest = 0;
        mosquitto_property_read_int32(properties, MQTT_PROP_MAXIMUM_PACKET_SIZE, &largest, false);
        largestPacket_ = largest;
        retrySeconds_ = kFirstRetrySeconds;
        for (const QByteArray& filter : filters_) {
            mosquitto_subscribe_v5(client_, nullptr, filter.constData(), 1, 0, nullptr);
        }
        Tell(Event::Connected, {});
        return;
    }
    // A broker of MQTT 3.1.1 answers MQTT 5 so; it is asked again in its own version at once.
    if (reason == MQTT_RC_UNSUPPORTED_PROTOCOL_VERSION && !oldProtocol_) {
        oldProtocol_ = true;
        Tell(Event::OldProtocol, {});
        return;
    }
    // Wrong credentials, or a client the broker will not have: no use trying again.
    refused_ = true;
    Tell(Event::Refused, reason == CONNACK_REFUSED_PROTOCOL_VERSION && oldProtocol_
                             ? QStringLiteral("it speaks neither MQTT 5 nor 3.1.1")
                             : Reason(oldProtocol_ ? V5Reason(reason) : reason));
    mosquitto_disconnect(client_);
}

int MosquittoBroker::V5Reason(int connack) {
    switch (connack) {
        case CONNACK_REFUSED_BAD_USERNAME_PASSWORD:
            return MQTT_RC_BAD_USERNAME_OR_PASSWORD;
        case CONNACK_REFUSED_NOT_AUTHORIZED:
            return MQTT_RC_NOT_AUTHORIZED;
        case CONNACK_REFUSED_IDENTIFIER_REJECTED:
            return MQTT_RC_CLIENTID_NOT_VALID;
        default:
            return MQTT_RC_SERVER_UNAVAILABLE;
    }
}

void MosquittoBroker::Subscribe(const QList<QByteArray>& filters, Messages messages) {
    filters_ = filters;
    messages_ = std::move(messages);
}

void MosquittoBroker::Start(const BrokerOptions& options, const QByteArray& willTopic,
                            const QByteArray& willPayload, Events events) {
    events_ = std::move(events);
    const QByteArray id = ("nerimo-" + options.sensorId).toUtf8();
    client_ = mosquitto_new(id.constData(), true, this);
    mosquitto_threaded_set(client_, true);
    // MQTT 5, whose acknowledgements say when the broker refuses a message.
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    if (!options.user.isEmpty()) {
        mosquitto_username_pw_set(client_, options.user.toUtf8().constData(),
                                  options.password.toUtf8().constData());
    }
    if (!willTopic.isEmpty()) {
        mosquitto_will_set(client_, willTopic.constData(), int(willPayload.size()),
                           willPayload.constData(), 1, true);
    }
    if (messages_) {
        mosquitto_message_v5_callback_set(
            client_, [](mosquitto*, void* self, const mosquitto_message* message,
                        const mosquitto_property*) {
                QByteArray topic(message->topic);
                QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
                QMetaObject::invokeMethod(
                    &Of(self),
                    [self, topic = std::move(topic), payload = std::move(payload)] {
                        Of(self).messages_(topic, payload);
                    },
                    Qt::QueuedConnection);
            });
    }
    if (options.tls) {
        if (options.caFile.isEmpty()) {
            mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            mosquitto_tls_set(client_, options.caFile.toLocal8Bit().constData(), nullptr, nullptr,
                              nullptr, nullptr);
        }
    }
    mosquitto_connect_v5_callback_set(
        client_, [](mosquitto*, void* self, int reason, int, const mosquitto_property* properties) {
            Of(self).Connected(reason, properties);
        });
    mosquitto_publish_v5_callback_set(
        client_, [](mosquitto*, void* self, int mid, int reason, const mosquitto_property*) {
            Of(self).Acknowledged(mid, reason);
        });
    // A certificate that is not trusted shows only in the library's log.
    mosquitto_log_callback_set(
        client_, [](mosquitto* client, void* self, int level, const char* text) {
            if (level == MOSQ_LOG_ERR && QByteArray(text).contains("certificate verify failed") &&
                !Of(self).refused_.exchange(true)) {
                Of(self).Tell(Event::Refused, QString::fromUtf8(text));
                mosquitto_disconnect(client);
            }
        });
    network_ = std::thread(&MosquittoBroker::Run, this, options.host.toUtf8(), options.port);
}

void MosquittoBroker::Run(const QByteArray& host, int port) {
    int code = mosquitto_connect_async(client_, host.constData(), port, kKeepAliveSeconds);
    int error = errno;
    bool downgraded = false;
    while (!refused_) {
        if (finishing_ && finishBy_.hasExpired()) {
            return;
        }
        if (code == MOSQ_ERR_SUCCESS) {
            // Once finishing, the loop goes on until the deadline, so that the disconnection
            // goes out and the broker keeps the will to itself.
            const int ms =
                finishing_ ? int(std::min<qint64>(finishBy_.remainingTime(), 10)) : kLoopMs;
            errno = 0;
            code = mosquitto_loop(client_, ms, 1);
            error = errno;
            continue;
        }
        if (finishing_) {
            return;
        }
        if (oldProtocol_ && !downgraded) {
            downgraded = true;
            mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
            code = mosquitto_reconnect_async(client_);
            error = errno;
            continue;
        }
        Tell(Event::Lost, Why(code, error));
        {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::seconds(retrySeconds_),
                              [this] { return finishing_.load(); });
        }
        retrySeconds_ = std::min(2 * retrySeconds_, kLongestRetrySeconds);
        if (!finishing_) {
            errno = 0;
            code = mosquitto_reconnect_async(client_);
            error = errno;
        }
    }
}

Broker::Handed MosquittoBroker::Publish(const QByteArray& topic, const QByteArray& payload,
                                        bool retain) {
    // Held while the message is handed over, so that its acknowledgement finds its topic.
    const std::lock_guard lock(mutex_);
    int mid = 0;
    const int code = mosquitto_publish_v5(client_, &mid, topic.constData(), int(payload.size()),
                                          payload.constData(), 1, retain, nullptr);
    if (code == MOSQ_ERR_OVERSIZE_PACKET) {
        return Handed::TooLarge;
    }
    // A message of QoS 1 that finds the connection gone is kept for it all the same.
    if (code != MOSQ_ERR_SUCCESS && code != MOSQ_ERR_NO_CONN) {
        return Handed::NotNow;
    }
    topics_.insert(mid, topic);
    ++handedOver_;
    return Handed::Taken;
}

qsizetype MosquittoBroker::MaximumMessage(const QByteArray& topic) const {
    const qsizetype largest = largestPacket_;
    return largest == 0 ? 0 : std::max<qsizetype>(1, largest - kPublishOverhead - topic.size());
}

int MosquittoBroker::Finish(int deadlineMs) {
    if (!client_) {
        return 0;
    }
    const QDeadlineTimer deadline(deadlineMs);
    {
        // A broker that refused us acknowledges nothing: no use waiting for it.
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock,
                          std::chrono::milliseconds(
                              std::max<qint64>(0, deadline.remainingTime() - kDisconnectingMs)),
                          [this] { return refused_ || acknowledged_ >= handedOver_; });
        finishBy_ = deadline;
        finishing_ = true;
        changed_.notify_all();
    }
    mosquitto_disconnect(client_);  // cleanly: the broker keeps the will to itself
    network_.join();
    mosquitto_destroy(client_);
    client_ = nullptr;
    return int(std::max(0LL, handedOver_ - acknowledged_));
}

}  // namespace nerimo::platform
