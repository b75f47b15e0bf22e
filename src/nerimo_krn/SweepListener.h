#pragma once

#include <cstdint>

namespace nerimo {

// What a sweep tells those who keep or show what it measured (the sweep log, a survey's
// progress); none of them reaches into the sweep.
class SweepListener {
  public:
    virtual ~SweepListener() = default;

    // A sweep's first step is about to be tuned.
    virtual void SweepBegan() = 0;
    // A step's level, as plotted: once a step, a hold's later reads not counted. `measured` is
    // false when the receiver was not open, and the level no measurement.
    virtual void Measured(double mhz, int16_t level, bool measured) = 0;
    // The sweep ended: whole, or cut short by a stop or by the end of its run.
    virtual void SweepEnded() = 0;
};

}  // namespace nerimo
