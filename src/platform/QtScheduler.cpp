#include "QtScheduler.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace nerimo::platform {

namespace {

constexpr long long kNanosecondsPerSecond = 1'000'000'000;

}  // namespace

QtScheduler::QtScheduler() : fd_(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (fd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create the sweep's timer");
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QtScheduler::Fire);
}

QtScheduler::~QtScheduler() {
    notifier_.reset();
    ::close(fd_);
}

void QtScheduler::After(double seconds, Task task) {
    task_ = std::move(task);
    ArmIn(static_cast<long long>(std::ceil(seconds * kNanosecondsPerSecond)));
}

void QtScheduler::Soon(Task task) {
    task_ = std::move(task);
    ArmIn(0);
}

void QtScheduler::Cancel() {
    const itimerspec disarmed{};
    ::timerfd_settime(fd_, 0, &disarmed, nullptr);
    task_ = nullptr;
}

void QtScheduler::ArmIn(long long nanoseconds) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const long long due = now.tv_sec * kNanosecondsPerSecond + now.tv_nsec + nanoseconds;
    // An absolute time already reached expires at once; a zero one would disarm, and the
    // monotonic clock is never zero once the machine runs.
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(due / kNanosecondsPerSecond);
    when.it_value.tv_nsec = static_cast<long>(due % kNanosecondsPerSecond);
    ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr);
}

void QtScheduler::Fire() {
    std::uint64_t expirations = 0;
    // Nothing to read: the timer was re-armed or cancelled after it expired.
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations) {
        return;
    }
    Task task = std::move(task_);
    task_ = nullptr;
    if (task) {
        task();
    }
}

}  // namespace nerimo::platform
