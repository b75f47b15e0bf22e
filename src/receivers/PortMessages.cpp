#include "PortMessages.h"

#include <QFile>

namespace nerimo {

namespace {

QString SettingsFileText(const Settings& settings) {
    return settings.file.isEmpty() ? QStringLiteral("the settings file") : settings.file;
}

}  // namespace

QString PortName(const Settings& settings) {
    if (!settings.device.isEmpty()) {
        return QFile::decodeName(settings.device);
    }
    return QStringLiteral("/dev/ttyS%1").arg(settings.comPort - 1);
}

QString OpenFailureText(const Settings& settings, const QString& port, const QString& description,
                        bool permissionDenied, bool heldElsewhere, bool network) {
    QString text =
        (settings.device.isEmpty() ? QStringLiteral("COM%1 (%2)").arg(settings.comPort).arg(port)
                                   : port) +
        QStringLiteral("\r\n") + description;
    if (permissionDenied) {
        text += QStringLiteral(
            "\r\nTo use the port, your user must be in the group that owns the device (usually "
            "dialout).");
    } else if (network) {
        // No cable to plug in and no port to list: a server that is not there, or not here.
        text += QStringLiteral(
                    "\r\nCheck that rigctld runs there and that its radio is switched on, or give "
                    "another address: set DEVICE=host:port in %1.")
                    .arg(SettingsFileText(settings));
    } else if (heldElsewhere) {
        text += QStringLiteral(
            "\r\nAnother program is using the port (it holds the port or its lock file); "
            "Nerimo takes the port as soon as it is free.");
    } else if (settings.deviceGiven) {
        text += QStringLiteral(
            "\r\nPlug the receiver in, or choose its port: nerimo --list-ports lists them; give "
            "it with --device.");
    } else {
        text += QStringLiteral(
                    "\r\nPlug the receiver in, or choose its port: nerimo --list-ports lists "
                    "them; set DEVICE= in %1.")
                    .arg(SettingsFileText(settings));
    }
    return text;
}

}  // namespace nerimo
