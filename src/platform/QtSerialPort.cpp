#include "QtSerialPort.h"

#include <unistd.h>

#include <QFile>

namespace nerimo::platform {

namespace {

// Reads take everything that arrived, so the last letter read is the newest one. What piles up
// between reads is cut to its newest bytes, so a flooding receiver cannot fill the memory.
constexpr qint64 kMostPending = 64 * 1024;
constexpr qsizetype kNewestKept = 4 * 1024;

}  // namespace

QtSerialPort::QtSerialPort() {
    port_.setReadBufferSize(0);
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::KeepOnlyTheNewest);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::ErrorOccurred);
}

void QtSerialPort::SetPortName(const QString& name) {
    port_.setPortName(name);
}

void QtSerialPort::SetLineSettings() {
    port_.setBaudRate(QSerialPort::Baud4800);
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::TwoStop);
}

void QtSerialPort::SetHardwareFlowControl() {
    port_.setFlowControl(QSerialPort::HardwareControl);
}

void QtSerialPort::SetRequestToSend(bool raised) {
    requestToSend_ = raised;
}

void QtSerialPort::SetDataTerminalReady(bool raised) {
    dataTerminalReady_ = raised;
}

OpenResult QtSerialPort::Open() {
    kept_.clear();
    if (!port_.open(QIODevice::ReadWrite)) {
        // The port says "permission" also when another program holds the device or its lock
        // file; the user's own right to the device tells the two apart.
        const bool refused = port_.error() == QSerialPort::PermissionError;
        const QString name = port_.portName();  // a path, or a name under /dev as Qt takes it
        const QByteArray device =
            QFile::encodeName(name.startsWith(QLatin1Char('/')) ? name : "/dev/" + name);
        const bool mayUse = ::access(device.constData(), R_OK | W_OK) == 0;
        return {false, port_.errorString(), refused && !mayUse, refused && mayUse};
    }
    // The modem lines can only be set on an open port. With RTS/CTS flow control the flow
    // control owns RTS and raises it itself; a pseudo-terminal has no DTR. Neither stops the open.
    port_.setDataTerminalReady(dataTerminalReady_);
    if (port_.flowControl() != QSerialPort::HardwareControl) {
        port_.setRequestToSend(requestToSend_);
    }
    port_.clearError();
    return {true, {}, false};
}

void QtSerialPort::Close() {
    if (port_.isOpen()) {
        port_.close();
    }
    kept_.clear();
}

bool QtSerialPort::Write(const QByteArray& bytes) {
    if (!port_.isOpen()) {
        return false;
    }
    const bool written = port_.write(bytes) == bytes.size();
    port_.flush();
    return written;
}

std::optional<QByteArray> QtSerialPort::ReadAll() {
    if (!port_.isOpen()) {
        return std::nullopt;
    }
    QByteArray bytes = kept_ + port_.readAll();
    kept_.clear();
    return bytes;
}

void QtSerialPort::OnDied(std::function<void()> handler) {
    onDied_ = std::move(handler);
}

void QtSerialPort::KeepOnlyTheNewest() {
    if (port_.bytesAvailable() > kMostPending) {
        kept_ += port_.readAll();
        kept_ = kept_.right(kNewestKept);
    }
}

void QtSerialPort::ErrorOccurred(QSerialPort::SerialPortError error) {
    // Only these mean the port itself failed; a dead port reports them in a tight loop while it
    // stays open, so the first one closes it. Unsupported modem-line calls are no fault.
    const bool fatal = error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
                       error == QSerialPort::ResourceError;
    if (!fatal || !port_.isOpen()) {
        return;
    }
    port_.close();
    kept_.clear();
    if (onDied_) {
        onDied_();
    }
}

}  // namespace nerimo::platform
