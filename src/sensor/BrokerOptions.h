#pragma once

#include <QString>

namespace nerimo {

// Where a sensor publishes its sweeps, and as whom.
struct BrokerOptions {
    QString host;
    int port = 1883;
    bool tls = false;
    QString caFile;  // --mqtt-ca: the authority to trust; empty: the system's
    QString prefix = QStringLiteral("nerimo");
    QString sensorId;  // the host name unless --sensor-id says otherwise
    QString user;      // none when empty
    QString password;
};

}  // namespace nerimo
