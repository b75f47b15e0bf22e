#include "SerialPortList.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace nerimo::platform {

QList<PortFacts> SystemPorts() {
    QList<PortFacts> ports;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        ports << PortFacts{port.systemLocation(), port.description(), port.manufacturer(),
                           port.serialNumber()};
    }
    return ports;
}

namespace {

// The stable name of each device that has one, by the device it leads to.
QHash<QString, QString> StableNames(const QString& stableFolder) {
    QHash<QString, QString> names;
    for (const QFileInfo& link : QDir(stableFolder).entryInfoList(QDir::System | QDir::Files)) {
        names.insert(link.canonicalFilePath(), link.absoluteFilePath());
    }
    return names;
}

QStringList Facts(const PortFacts& port) {
    QStringList facts;
    if (!port.description.isEmpty()) {
        facts << port.description;
    }
    if (!port.maker.isEmpty()) {
        facts << QStringLiteral("made by ") + port.maker;
    }
    if (!port.serialNumber.isEmpty()) {
        facts << QStringLiteral("serial number ") + port.serialNumber;
    }
    return facts;
}

}  // namespace

QList<PortChoice> PortChoices(const QList<PortFacts>& ports, const QString& stableFolder) {
    const QHash<QString, QString> stableNames = StableNames(stableFolder);
    QList<PortChoice> stable;
    QList<PortChoice> others;
    for (const PortFacts& port : ports) {
        const QString name = stableNames.value(QFileInfo(port.device).canonicalFilePath());
        const QString facts = (Facts(port) << port.device).join(QStringLiteral("; "));
        (name.isEmpty() ? others : stable)
            << PortChoice{name.isEmpty() ? port.device : name, facts};
    }
    return stable + others;
}

QString PortList(const QList<PortFacts>& ports, const QString& stableFolder) {
    if (ports.isEmpty()) {
        return QStringLiteral("No serial ports found.\n");
    }
    const QHash<QString, QString> stableNames = StableNames(stableFolder);
    QString text;
    for (const PortFacts& port : ports) {
        const QStringList facts = Facts(port);
        const QString canonical = QFileInfo(port.device).canonicalFilePath();
        text += port.device +
                (facts.isEmpty() ? QString() : QStringLiteral(": ") + facts.join("; ")) +
                QStringLiteral("\n    DEVICE=") + stableNames.value(canonical, port.device) +
                QLatin1Char('\n');
    }
    return text;
}

}  // namespace nerimo::platform
