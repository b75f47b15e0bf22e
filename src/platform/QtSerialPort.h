#pragma once

#include <QSerialPort>

#include "SerialPort.h"

namespace nerimo::platform {

class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT

  public:
    QtSerialPort();

    void SetPortName(const QString& name) override;
    void SetLineSettings() override;
    void SetHardwareFlowControl() override;
    void SetRequestToSend(bool raised) override;
    void SetDataTerminalReady(bool raised) override;
    OpenResult Open() override;
    void Close() override;
    bool IsOpen() const override { return port_.isOpen(); }
    bool Write(const QByteArray& bytes) override;
    std::optional<QByteArray> ReadAll() override;
    void OnDied(std::function<void()> handler) override;

  private:
    void KeepOnlyTheNewest();
    void ErrorOccurred(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QByteArray kept_;  // the newest bytes, kept when the receiver sends faster than we read
    bool requestToSend_ = false;
    bool dataTerminalReady_ = false;
    std::function<void()> onDied_;
};

}  // namespace nerimo::platform
