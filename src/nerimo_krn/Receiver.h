#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "State.h"

namespace nerimo {

// How the first attempt to open a receiver went.
struct OpenOutcome {
    bool opened = false;
    bool permanent = false;  // it never will be: no use trying again
};

// The kernel's view of a receiver: tuned step by step, its level read after each tuning. Each
// may answer at once (the receiver's own protocol on its serial line) or later (a radio that
// Hamlib drives, whose calls run on a thread of their own).
class Receiver {
  public:
    using Then = std::function<void()>;
    // The level 0 to 16, or nothing when the receiver did not answer.
    using Reading = std::function<void(std::optional<int16_t> level)>;
    using Opened = std::function<void(const OpenOutcome&)>;
    virtual ~Receiver() = default;

    // At start-up: opens the receiver the settings name; a failure is shown in a message. While
    // the receiver is closed, because it could not be opened or because it went away, it is tried
    // again every 2 s, unless it never can be. `opened` hears how this first attempt went, and
    // again each time the receiver opens after that.
    virtual void OpenPort(Opened opened) = 0;
    // Closes the port, ignoring failures, and tries no more.
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;
    // Open, and it answered at least one of its last 8 reads.
    virtual bool Answering() const = 0;
    // Where the receiver is, for messages: its device, or a rigctld's address.
    virtual QString Name() const = 0;

    // A run begins: replies still pending from before it are thrown away.
    virtual void StartRun() = 0;
    // Tunes to FreqText in the mode of ModeLetter; `then` runs once the receiver has taken it,
    // or at once when it cannot be sent.
    virtual void Tune(Then then) = 0;
    // Reads the level of the tuned frequency; `then` gets it once it is there.
    virtual void ReadLevel(Reading then) = 0;
};

// FreqText := the frequency with four decimals and a "." separator, whatever the locale: the
// text that tunes the receiver.
void FormatFreqText(State& state, double mhz);

// The device that DEVICE= names, else COM='s serial port (COM1 is /dev/ttyS0).
QString PortName(const State& state);

// The message for a port that cannot be opened: the device it tried, as COMn (and its path) or as
// the path DEVICE= or --device named, a line break, the system's description, and what to do: a
// hint about the dialout group when permission was denied, about the program that holds the
// port, or else how to find and name the receiver's port in the settings file.
QString OpenFailureText(const State& state, const QString& port, const QString& description,
                        bool permissionDenied, bool heldElsewhere = false);

}  // namespace nerimo
