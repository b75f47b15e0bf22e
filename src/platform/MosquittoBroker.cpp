#include "MosquittoBroker.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace nerimo::platform {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr unsigned kFirstRetrySeconds = 1;
constexpr unsigned kLongestRetrySeconds = 60;

MosquittoBroker& Of(void* self) {
    return *static_cast<MosquittoBroker*>(self);
}

}  // namespace

MosquittoBroker::MosquittoBroker() {
    static const int initialised = mosquitto_lib_init();
    (void)initialised;
}

MosquittoBroker::~MosquittoBroker() {
    if (client_) {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, true);
        mosquitto_destroy(client_);
    }
}

void MosquittoBroker::Tell(Event event, const QString& why) {
    QMetaObject::invokeMethod(
        this, [this, event, why] { events_(event, why); }, Qt::QueuedConnection);
}

void MosquittoBroker::Acknowledged() {
    ++acknowledged_;
    const std::lock_guard lock(mutex_);
    settled_.notify_all();
}

void MosquittoBroker::Start(const BrokerOptions& options, const QByteArray& willTopic,
                            const QByteArray& willPayload, Events events) {
    events_ = std::move(events);
    const QByteArray id = ("nerimo-" + options.sensorId).toUtf8();
    client_ = mosquitto_new(id.constData(), true, this);
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
    mosquitto_reconnect_delay_set(client_, kFirstRetrySeconds, kLongestRetrySeconds, true);
    mosquitto_connect_callback_set(client_, [](mosquitto* client, void* self, int code) {
        if (code == 0) {
            Of(self).Tell(Event::Connected, {});
            return;
        }
        // Wrong credentials, or a client the broker will not have: no use trying again.
        Of(self).refused_ = true;
        Of(self).Tell(Event::Refused, QString::fromUtf8(mosquitto_connack_string(code)));
        mosquitto_disconnect(client);
    });
    mosquitto_disconnect_callback_set(client_, [](mosquitto*, void* self, int code) {
        if (code != 0 && !Of(self).refused_) {
            Of(self).Tell(Event::Lost, QString::fromUtf8(mosquitto_strerror(code)));
        }
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
    // The connection is made, and made again, on the library's thread.
    const int code = mosquitto_connect_async(client_, options.host.toUtf8().constData(),
                                             options.port, kKeepAliveSeconds);
    if (code != MOSQ_ERR_SUCCESS) {
        Tell(Event::Lost, QString::fromUtf8(code == MOSQ_ERR_ERRNO ? std::strerror(errno)
                                                                   : mosquitto_strerror(code)));
    }
    mosquitto_loop_start(client_);
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
        settled_.wait_for(lock, std::chrono::milliseconds(deadlineMs),
                          [this] { return refused_ || acknowledged_ >= handedOver_; });
    }
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
    client_ = nullptr;
    return int(std::max(0LL, handedOver_ - acknowledged_));
}

}  // namespace nerimo::platform
