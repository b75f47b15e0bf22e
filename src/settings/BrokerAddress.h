#pragma once

#include <QString>

#include "BrokerOptions.h"
#include "FileAccess.h"

namespace nerimo {

// "mqtt://host[:port]", or "mqtts://host[:port]" for TLS (ports 1883 and 8883 when left out);
// false, with the reason, for anything else.
bool ParseBrokerUrl(const QString& url, BrokerOptions* options, QString* error);

// The user and password from a file's first line, "user:password"; false, with the reason, when
// it cannot be read, holds no such line, or may be read by others than its owner.
bool ReadCredentials(FileAccess& files, const QString& path, BrokerOptions* options,
                     QString* error);

}  // namespace nerimo
