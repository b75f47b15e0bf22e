#include "MosquittoBroker.h"

#include <mosquitto.h>

#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace nerimo::platform {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kFirstRetrySeconds = 1;
constexpr int kLongestRetrySeconds = 60;
constexpr int kLoopMs = 1000;  // the longest the network thread waits on its socket at a time,
                               // and for the disconnection to go out at the end

MosquittoBroker& Of(void* self) {
    return *static_cast<MosquittoBroker*>(self);
}

// What a failed call of libmosquitto's comes to, in words.
QString Why(int code) {
    return QString::fromUtf8(code == MOSQ_ERR_ERRNO ? std::strerror(errno)
                                                    : mosquitto_strerror(code));
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

void MosquittoBroker::Acknowledged() {
    ++acknowledged_;
    const std::lock_guard lock(mutex_);
    changed_.notify_all();
}

void MosquittoBroker::Start(const BrokerOptions& options, const QByteArray& willTopic,
                            const QByteArray& willPayload, Events events) {
    events_ = std::move(events);
    const QByteArray id = ("nerimo-" + options.sensorId).toUtf8();
    client_ = mosquitto_new(id.constData(), true, this);
    mosquitto_threaded_set(client_, true);
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!options.user.isEmpty()) {
        mosquitto_username_pw_set(client_, options.user.toUtf8().constData(),
                                  options.password.toUtf8().constData());
    }
    mosquitto_will_set(client_, willTopic.constData(), int(willPayload.size()),
                       willPayload.constData(), 1, true);
    if (options.tls) {
        if (options.caFile.isEmpty()) {
            mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            mosquitto_tls_set(client_, options.caFile.toLocal8Bit().constData(), nullptr, nullptr,
                              nullptr, nullptr);
        }
    }
    mosquitto_connect_callback_set(client_, [](mosquitto* client, void* self, int code) {
        if (code == 0) {
            Of(self).retrySeconds_ = kFirstRetrySeconds;
            Of(self).Tell(Event::Connected, {});
            return;
        }
        // Wrong credentials, or a client the broker will not have: no use trying again.
        Of(self).refused_ = true;
        Of(self).Tell(Event::Refused, QString::fromUtf8(mosquitto_connack_string(code)));
        mosquitto_disconnect(client);
    });
    mosquitto_publish_callback_set(client_,
                                   [](mosquitto*, void* self, int) { Of(self).Acknowledged(); });
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
    // Once finishing, the loop goes on for a moment, so that the disconnection goes out and the
    // broker keeps the will to itself.
    QDeadlineTimer last(QDeadlineTimer::Forever);
    while (!refused_) {
        if (finishing_ && last.isForever()) {
            last.setRemainingTime(kLoopMs);
        }
        if (code == MOSQ_ERR_SUCCESS && !last.hasExpired()) {
            code = mosquitto_loop(client_, finishing_ ? kLoopMs / 10 : kLoopMs, 1);
            continue;
        }
        if (finishing_) {
            return;
        }
        Tell(Event::Lost, Why(code));
        {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::seconds(retrySeconds_),
                              [this] { return finishing_.load(); });
        }
        retrySeconds_ = std::min(2 * retrySeconds_, kLongestRetrySeconds);
        if (!finishing_) {
            code = mosquitto_reconnect_async(client_);
        }
    }
}

bool MosquittoBroker::Publish(const QByteArray& topic, const QByteArray& payload, bool retain) {
    const int code = mosquitto_publish(client_, nullptr, topic.constData(), int(payload.size()),
                                       payload.constData(), 1, retain);
    // A message of QoS 1 that finds the connection gone is kept for it all the same.
    if (code != MOSQ_ERR_SUCCESS && code != MOSQ_ERR_NO_CONN) {
        return false;
    }
    ++handedOver_;
    return true;
}

int MosquittoBroker::Finish(int deadlineMs) {
    if (!client_) {
        return 0;
    }
    {
        // A broker that refused us acknowledges nothing: no use waiting for it.
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs),
                          [this] { return refused_ || acknowledged_ >= handedOver_; });
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
