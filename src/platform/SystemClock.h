#pragma once

#include "Clock.h"

namespace nerimo::platform {

// The local time of day.
class SystemClock : public Clock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace nerimo::platform
