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

QString PortList(const QList<PortFacts>& ports, const QString& stableFolder) {
    if (ports.isEmpty()) {
        return QStringLiteral("No serial ports found.\n");
    }
    QHash<QString, QString> stableNames;  // by the device each link leads to
    for (const QFileInfo& link : QDir(stableFolder).entryInfoList(QDir::System | QDir::Files)) {
        stableNames.insert(link.canonicalFilePath(), link.absoluteFilePath());
    }
    QString text;
    for (const PortFacts& port : ports) {
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
        const QString canonical = QFileInfo(port.device).canonicalFilePath();
        text += port.device +
                (facts.isEmpty() ? QString() : QStringLiteral(": ") + facts.join("; ")) +
                QStringLiteral("\n    DEVICE=") + stableNames.value(canonical, port.device) +
                QLatin1Char('\n');
    }
    return text;
}

}  // namespace nerimo::platform
