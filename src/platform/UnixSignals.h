#pragma once

#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <initializer_list>
#include <memory>

namespace nerimo::platform {

// Unix signals (SIGINT, SIGTERM, SIGHUP) turned into a call on the event loop: a handler may do
// next to nothing, so it writes the signal's number, a byte, to a pipe that the loop watches.
class UnixSignals : public QObject {
    Q_OBJECT

  public:
    // `then` runs on the event loop at each of the signals given, with the first that came since
    // it last ran. One instance at a time.
    UnixSignals(std::initializer_list<int> which, std::function<void(int signal)> then);
    ~UnixSignals() override;

  private:
    QList<int> signals_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int signal)> then_;
};

}  // namespace nerimo::platform
