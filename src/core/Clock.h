#pragma once

#include <QDateTime>

namespace nerimo {

// The time of day that stamps what is kept: log rows, a survey's lines.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
};

}  // namespace nerimo
