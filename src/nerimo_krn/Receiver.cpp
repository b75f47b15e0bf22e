#include "Receiver.h"

#include <QFile>

namespace nerimo {

void FormatFreqText(State& state, double mhz) {
    // The same text as the display form with its separator made ".", for every locale: four
    // decimals rounded to the nearest, no grouping, and ASCII digits whatever the locale.
    state.FreqText = QByteArray::number(mhz, 'f', 4);
}

QString PortName(const State& state) {
    if (!state.DevicePath.isEmpty()) {
        return QFile::decodeName(state.DevicePath);
    }
    return QStringLiteral("/dev/ttyS%1").arg(state.ComPort - 1);
}

QString OpenFailureText(const State& state, const QString& port, const QString& description,
                        bool permissionDenied, bool heldElsewhere) {
    QString text =
        (state.DevicePath.isEmpty() ? QStringLiteral("COM%1 (%2)").arg(state.ComPort).arg(port)
                                    : port) +
        QStringLiteral("\r\n") + description;
    if (permissionDenied) {
        text += QStringLiteral(
            "\r\nTo use the port, your user must be in the group that owns the device (usually "
            "dialout).");
    } else if (heldElsewhere) {
        text += QStringLiteral(
            "\r\nAnother program is using the port (it holds the port or its lock file); "
            "Nerimo takes the port as soon as it is free.");
    } else {
        text += QStringLiteral(
                    "\r\nPlug the receiver in, or choose its port: nerimo --list-ports lists "
                    "them; set DEVICE= in %1.")
                    .arg(state.SettingsFile.isEmpty() ? QStringLiteral("the settings file")
                                                      : state.SettingsFile);
    }
    return text;
}

}  // namespace nerimo
