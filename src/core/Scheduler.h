#pragma once

#include <functional>

namespace nerimo {

// Runs the sweep's next piece of work later, from the event loop. One piece is pending at most;
// scheduling another replaces it.
class Scheduler {
  public:
    using Task = std::function<void()>;
    virtual ~Scheduler() = default;

    // After the given seconds, never earlier, measured on a monotonic clock.
    virtual void After(double seconds, Task task) = 0;
    // At the next turn of the event loop, after the window events now pending.
    virtual void Soon(Task task) = 0;
    virtual void Cancel() = 0;
};

}  // namespace nerimo
