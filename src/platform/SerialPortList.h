#pragma once

#include <QList>
#include <QString>

namespace nerimo::platform {

// What the system says of a serial port.
struct PortFacts {
    QString device;  // /dev/ttyUSB0
    QString description;
    QString maker;
    QString serialNumber;
};

// The serial ports the system has.
QList<PortFacts> SystemPorts();

// A port to choose: the name to give it (DEVICE=) and what the system says of it.
struct PortChoice {
    QString device;
    QString facts;  // "FT232R USB UART; made by FTDI; serial number A1; /dev/ttyUSB0"
};

// The ports to choose from, named by their link in `stableFolder` (/dev/serial/by-id) where
// they have one, as that name stays the same when an adapter is plugged in elsewhere; those
// first.
QList<PortChoice> PortChoices(const QList<PortFacts>& ports, const QString& stableFolder);

// The ports as text for --list-ports: a line of facts each, then the DEVICE= line for the
// settings file, with the port's link in `stableFolder` (/dev/serial/by-id) where it has one,
// as that name stays the same when an adapter is plugged in elsewhere.
QString PortList(const QList<PortFacts>& ports, const QString& stableFolder);

}  // namespace nerimo::platform
