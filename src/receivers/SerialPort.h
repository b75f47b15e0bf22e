#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace nerimo {

struct OpenResult {
    bool opened = false;
    QString description;            // the service's own text, when the open failed
    bool permissionDenied = false;  // the user may not use the device
    bool heldElsewhere = false;     // another program holds the device or its lock file
};

// The serial line to the receiver. Configuration is set first and takes effect at the open.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    virtual void SetPortName(const QString& name) = 0;
    // 4800 baud, no parity, 8 data bits, 2 stop bits.
    virtual void SetLineSettings() = 0;
    virtual void SetHardwareFlowControl() = 0;
    // Modem lines, raised while the port is open. Best effort: a pseudo-terminal or an adapter
    // that cannot set one does not stop the open.
    virtual void SetRequestToSend(bool raised) = 0;
    virtual void SetDataTerminalReady(bool raised) = 0;

    virtual OpenResult Open() = 0;
    // Closes; closing a port that is not open does nothing.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // False when nothing could be written (the port is not open, or failed).
    virtual bool Write(const QByteArray& bytes) = 0;
    // Everything received since the last read; nothing when the port is not open.
    virtual std::optional<QByteArray> ReadAll() = 0;

    // Called once when an open port dies (adapter unplugged, far side gone); the port is closed
    // by then, so later writes and reads fail quietly.
    virtual void OnDied(std::function<void()> handler) = 0;
};

}  // namespace nerimo
