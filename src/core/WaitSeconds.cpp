#include "WaitSeconds.h"

namespace nerimo {

void WaitSeconds(Scheduler& scheduler, double seconds, Scheduler::Task then) {
    if (seconds <= 0) {
        then();
        return;
    }
    scheduler.After(seconds, std::move(then));
}

}  // namespace nerimo
