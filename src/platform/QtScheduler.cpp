#include "QtScheduler.h"

#include <algorithm>
#include <cmath>

namespace nerimo::platform {

QtScheduler::QtScheduler() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtScheduler::Fire);
    clock_.start();
}

void QtScheduler::After(double seconds, Task task) {
    task_ = std::move(task);
    dueNs_ = clock_.nsecsElapsed() + static_cast<qint64>(std::ceil(seconds * 1e9));
    Arm();
}

void QtScheduler::Soon(Task task) {
    task_ = std::move(task);
    dueNs_ = clock_.nsecsElapsed();
    timer_.start(0);
}

void QtScheduler::Cancel() {
    timer_.stop();
    task_ = nullptr;
}

void QtScheduler::Arm() {
    const qint64 remainingNs = dueNs_ - clock_.nsecsElapsed();
    // Whole milliseconds, rounded up: the timer may still fire a little early, Fire checks.
    timer_.start(static_cast<int>(std::max<qint64>(0, (remainingNs + 999'999) / 1'000'000)));
}

void QtScheduler::Fire() {
    if (clock_.nsecsElapsed() < dueNs_) {
        Arm();
        return;
    }
    Task task = std::move(task_);
    task_ = nullptr;
    if (task) {
        task();
    }
}

}  // namespace nerimo::platform
