#pragma once

#include <QString>

#include "Settings.h"

namespace nerimo {

// The device that DEVICE= (or --device) names, else COM='s serial port (COM1 is /dev/ttyS0).
QString PortName(const Settings& settings);

// The message for a port that cannot be opened: the device it tried, as COMn (and its path) or as
// the path DEVICE= or --device named, a line break, the system's description, and what to do: a
// hint about the dialout group when permission was denied, about the program that holds the
// port, about rigctld for a radio on the `network`, or else how to find and name the receiver's
// port in the settings file.
QString OpenFailureText(const Settings& settings, const QString& port, const QString& description,
                        bool permissionDenied, bool heldElsewhere = false, bool network = false);

}  // namespace nerimo
