#pragma once

#include <QString>
#include <functional>

#include "State.h"

namespace nerimo {

// The kernel's view of a receiver: tuned step by step, its level read after each tuning. Each
// may answer at once (the receiver's own protocol on its serial line) or later (a radio that
// Hamlib drives, whose calls run on a thread of their own).
class Receiver {
  public:
    using Then = std::function<void()>;
    virtual ~Receiver() = default;

    // At start-up: opens the port named by the settings; a failure is shown in a message. While
    // the port is closed, by that failure or because it died, it is tried again every 2 s.
    virtual void OpenPort() = 0;
    // Closes the port, ignoring failures, and tries no more.
    virtual void ClosePort() = 0;
    virtual bool IsOpen() const = 0;

    // A run begins: replies still pending from before it are thrown away.
    virtual void StartRun() = 0;
    // Tunes to FreqText in the mode of ModeLetter; `then` runs once the receiver has taken it,
    // or at once when it cannot be sent.
    virtual void Tune(Then then) = 0;
    // Reads the level of the tuned frequency into SignalLevel, 0 to 16; `then` runs once it is
    // there.
    virtual void ReadLevel(Then then) = 0;
};

// FreqText := the frequency with four decimals and a "." separator, whatever the locale: the
// text that tunes the receiver.
void FormatFreqText(State& state, double mhz);

// The device that DEVICE= names, else COM='s serial port (COM1 is /dev/ttyS0).
QString PortName(const State& state);

// The message for a port that cannot be opened: the device it tried, as COMn (and its path) or as
// the path DEVICE= or --device named, a line break, the system's description, and a hint about
// the dialout group when permission was denied, or about the program that holds the port.
QString OpenFailureText(const State& state, const QString& port, const QString& description,
                        bool permissionDenied, bool heldElsewhere = false);

}  // namespace nerimo
