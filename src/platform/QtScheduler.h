#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "Scheduler.h"

namespace nerimo::platform {

// The sweep's timer: a Linux timerfd on the monotonic clock, watched by the event loop. It wakes
// the loop to the microsecond and the kernel never lets it expire early, where a QTimer rounds to
// whole milliseconds and would add up to a millisecond to every step of a sweep. Soon is a posted
// call.
class QtScheduler : public QObject, public Scheduler {
    Q_OBJECT

  public:
    // Throws std::system_error when the system has no timer to give.
    QtScheduler();
    ~QtScheduler() override;

    void After(double seconds, Task task) override;
    void Soon(Task task) override;
    void Cancel() override;

  private:
    void ArmIn(long long nanoseconds);
    void Fire();
    void Run(unsigned turn);

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    Task task_;
    unsigned turn_ = 0;  // counts the tasks scheduled, so a stale call runs nothing
    bool armed_ = false;
};

}  // namespace nerimo::platform
