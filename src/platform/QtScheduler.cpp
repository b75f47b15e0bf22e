#include "QtScheduler.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <utility>

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
    Cancel();
    task_ = std::move(task);
    ArmIn(static_cast<long long>(std::ceil(seconds * kNanosecondsPerSecond)));
}

// A posted call: the event loop's next turn, after the window events already queued, without the
// system calls of a timer.
void QtScheduler::Soon(Task task) {
    Cancel();
    task_ = std::move(task);
    QMetaObject::invokeMethod(
        this, [this, turn = turn_] { Run(turn); }, Qt::QueuedConnection);
}

void QtScheduler::Cancel() {
    if (armed_) {
        const itimerspec disarmed{};
        ::timerfd_settime(fd_, 0, &disarmed, nullptr);
        armed_ = false;
    }
    task_ = nullptr;
    ++turn_;  // a posted call already on its way finds its turn gone
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
    armed_ = true;
}

void QtScheduler::Fire() {
    std::uint64_t expirations = 0;
    // Nothing to read: the timer was re-armed or cancelled after it expired.
    if (::read(fd_, &expirations, sizeof expirations) == sizeof expirations) {
        armed_ = false;
        Run(turn_);
    }
}

void QtScheduler::Run(unsigned turn) {
    if (turn != turn_ || !task_) {
        return;
    }
    ++turn_;
    std::exchange(task_, nullptr)();
}

}  // namespace nerimo::platform
