#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "Mode.h"

namespace nerimo {

struct RadioSettings {
    int model = 0;  // Hamlib's model number
    QString path;   // a serial device, or host:port for a rigctld
    int speed = 0;  // serial speed; 0: the model's own
};

struct RadioResult {
    bool ok = false;
    QString error;                  // Hamlib's or the system's own text, when it failed
    QString message;                // when it failed, a whole message for the user, if one is due
    bool permissionDenied = false;  // the user may not use the device
    bool permanent = false;         // no use trying again: an unknown model, no signal strength
    bool refused = false;           // the radio answered, and said it cannot do what was asked
    // On an open: the frequencies the radio receives, each from and to in Hz.
    std::vector<std::pair<double, double>> ranges = {};
};

// A radio that Hamlib drives. Every call to it blocks, for up to its time-out, so the calls run on
// a thread of their own, in the order asked; each result comes back later on the asking thread.
class Radio {
  public:
    using Done = std::function<void(const RadioResult&)>;
    // The strength in dB relative to S9; nothing when the radio answered with no number.
    using Strength = std::function<void(const RadioResult&, std::optional<int> decibels)>;
    virtual ~Radio() = default;

    virtual void Open(const RadioSettings& settings, Done done) = 0;
    virtual void SetMode(Mode mode, Done done) = 0;
    virtual void SetFrequency(double hertz, Done done) = 0;
    virtual void ReadStrength(Strength done) = 0;
    // Closes the radio; requests not yet under way are dropped and answer nothing.
    virtual void Close() = 0;
};

}  // namespace nerimo
