#pragma once

#include <QLocalServer>
#include <memory>

#include "Program.h"

namespace nerimo::platform {

// The single-instance claim is a lock (flock) on a file per receiver in /run/lock, where the
// serial ports' own locks are and which every user and service sees (a private /tmp or not);
// beside it, the first copy listens on a local socket of its user's own, where a later copy's
// connection asks it to show its window.
class QtProgram : public Program {
  public:
    QtProgram() = default;
    QtProgram(const QtProgram&) = delete;
    QtProgram& operator=(const QtProgram&) = delete;
    ~QtProgram() override;

    QString Folder() const override;
    QString UserFolder() const override;
    // share/nerimo/installed under the prefix of the executable's folder marks an installed copy.
    bool Installed() const override;
    bool AnotherInstanceRunning(const QString& receiver) override;
    void OnShowRequested(std::function<void()> handler) override;
    void EndNow() override;

  private:
    void Listen(const QString& path);

    int claim_ = -1;  // the lock file held, while this copy holds the receiver
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> showRequested_;
};

}  // namespace nerimo::platform
